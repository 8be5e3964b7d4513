// The open dialog's preview pane: what it shows for each kind of file.
#include "dialogs/OpenPreview.h"
#include "richedit/RichEdit98.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMimeDatabase>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QDir>
#include <QLabel>
#include <QListView>
#include <QTest>
#include <QTimer>
#include <QTextBlock>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace Dialogs;

namespace {

void WriteFile(const QString& name, const QByteArray& bytes) {
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Lets the event loop run until `done` holds or five seconds have passed.
bool WaitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 500 && !done(); ++i) QTest::qWait(10);
    return done();
}

// The last paragraph of the pane's text: where a centred message goes.
QString LastLine(const TRichEdit98* view) { return view->document()->lastBlock().text(); }

class OpenPreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        dialog = std::make_unique<TOpenPreviewDialog>();
        dialog->resize(900, 500);
        dialog->setDirectory(dir.path());
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    // Puts the cursor on the file as the user does, and waits for the pane to follow.
    void Preview(const QString& name) {
        if (!dialog->isVisible()) {
            dialog->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        }
        // The list fills in the background; a file it does not hold yet cannot be selected.
        auto* list = dialog->findChild<QListView*>("listView");
        const int entries = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size();
        ASSERT_TRUE(WaitUntil([&] { return list->model()->rowCount(list->rootIndex()) == entries; }));
        dialog->selectFile(name);
        QApplication::processEvents();
        // No list entry to put the cursor on, or the cursor is on it already.
        if (dialog->PreviewFileName() != name || !dialog->PreviewPending()) dialog->SetPreviewFileName(name);
        ASSERT_TRUE(WaitUntil([&] { return !dialog->PreviewPending(); }));
        ASSERT_EQ(dialog->PreviewFileName(), name);
    }
    bool TextShown() const { return dialog->PreviewBox()->widget() == dialog->PreviewText(); }
    QString Glyph() const { return dialog->WordWrapButton()->property("Glyph").toString(); }

    QTemporaryDir dir;
    std::unique_ptr<TOpenPreviewDialog> dialog;
};

} // namespace

TEST_F(OpenPreviewTest, TemplateShowsFormattedAndInformationFileItsLines) {
    WriteFile(Path("letter.tem"), "{\\rtf1\\ansi {\\i Dear }{\\b @1}\\par Regards\\par}");
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    // Moving the list's cursor onto the file is what the pane follows.
    auto* list = dialog->findChild<QListView*>("listView");
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return list->model()->rowCount(list->rootIndex()) == 1; }));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Home);
    ASSERT_TRUE(WaitUntil([&] { return dialog->PreviewFileName() == Path("letter.tem") && !dialog->PreviewPending(); }));
    ASSERT_TRUE(TextShown());
    EXPECT_EQ(dialog->PreviewText()->document()->firstBlock().text(), "Dear @1");
    QTextCursor bold(dialog->PreviewText()->document()->firstBlock());
    bold.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 6);
    EXPECT_EQ(bold.charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(Glyph(), "WORDWRAPBUTTON");
    EXPECT_EQ(dialog->WordWrapButton()->toolTip(), "Word-wrap");

    // Code page 1252 bytes: é, €, ¶.
    WriteFile(Path("case.inf"), "Client\r\nMr \xE9 \x80 \xB6\r\nFee\r\n100\r\n");
    Preview(Path("case.inf"));
    ASSERT_TRUE(TextShown());
    EXPECT_EQ(dialog->PreviewFileName(), Path("case.inf"));
    EXPECT_EQ(dialog->PreviewText()->toPlainText().split('\n').mid(0, 4),
              QStringList({"Client", "Mr é € ¶", "Fee", "100"}));
    EXPECT_TRUE(dialog->PreviewText()->isReadOnly());
    // Nothing of the template's format carries over to plain lines.
    QTextCursor plain(dialog->PreviewText()->document()->firstBlock());
    plain.movePosition(QTextCursor::Right);
    EXPECT_NE(plain.charFormat().fontWeight(), QFont::Bold);
    EXPECT_FALSE(plain.charFormat().fontItalic());

    // The next run starts without the last run's file.
    dialog->reject();
    QString shownAtStart = "not shown";
    QTimer::singleShot(0, dialog.get(), [&] {
        shownAtStart = LastLine(dialog->PreviewText());
        dialog->reject();
    });
    EXPECT_FALSE(dialog->Execute());
    EXPECT_EQ(shownAtStart, "No preview");
}

TEST_F(OpenPreviewTest, LargePictureScaledWithItsProportionsOrShownWholeWithScrollBars) {
    QImage picture(1200, 300, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(Path("wide.png")));

    dialog->SetWordWrapAndScale(true);
    Preview(Path("wide.png"));
    ASSERT_FALSE(TextShown());
    ASSERT_NE(dialog->PreviewImage(), nullptr);
    EXPECT_EQ(Glyph(), "SCALEBUTTON");
    EXPECT_EQ(dialog->WordWrapButton()->toolTip(), "Scale to fit");
    const QSize box = dialog->PreviewBox()->maximumViewportSize();
    const QSize scaled = dialog->PreviewImage()->pixmap().size();
    // Wider than tall: the width fills the box, the height follows at a quarter.
    EXPECT_EQ(scaled.width(), box.width());
    EXPECT_EQ(scaled.height(), int(0.25 * box.width()));

    dialog->WordWrapButton()->click(); // scale off
    EXPECT_FALSE(dialog->WordWrapAndScale());
    EXPECT_EQ(dialog->PreviewImage()->pixmap().size(), QSize(1200, 300));
    QApplication::processEvents();
    EXPECT_GT(dialog->PreviewBox()->horizontalScrollBar()->maximum(), 0);

    // A picture that fits is drawn as it is, scaled or not.
    QImage small(40, 60, QImage::Format_RGB32);
    small.fill(Qt::blue);
    ASSERT_TRUE(small.save(Path("small.bmp")));
    dialog->WordWrapButton()->click(); // scale on
    Preview(Path("small.bmp"));
    EXPECT_EQ(dialog->PreviewImage()->pixmap().size(), QSize(40, 60));
}

// Nothing the pane shows moves it or takes room from the file list or "Look in".
TEST_F(OpenPreviewTest, PaneKeepsItsPlaceAndSizeWhateverItShows) {
    QImage large(3000, 2400, QImage::Format_RGB32);
    large.fill(Qt::green);
    ASSERT_TRUE(large.save(Path("large.png")));
    WriteFile(Path("empty.txt"), "");
    WriteFile(Path("case.inf"), "Client\r\nMr J. Brown\r\n");
    Preview(Path("case.inf"));
    auto* list = dialog->findChild<QListView*>("listView");
    auto* lookIn = dialog->findChild<QLabel*>("lookInLabel");
    auto* pane = dialog->findChild<QWidget*>("PreviewPane");
    ASSERT_TRUE(list && lookIn && pane);
    auto placeOf = [this](const QWidget* w) { return QRect(w->mapTo(dialog.get(), QPoint(0, 0)), w->size()); };
    QApplication::processEvents();
    const QRect listPlace = placeOf(list), panePlace = placeOf(pane), lookInPlace = placeOf(lookIn);
    EXPECT_GT(listPlace.width(), panePlace.width()) << "the list keeps the larger share";
    for (const bool scale : {true, false}) {
        for (const char* file : {"large.png", "empty.txt"}) {
            SCOPED_TRACE(std::string(file) + (scale ? " scaled" : " unscaled"));
            dialog->SetWordWrapAndScale(scale);
            Preview(Path(file));
            QApplication::processEvents();
            EXPECT_EQ(placeOf(pane), panePlace);
            EXPECT_EQ(placeOf(list), listPlace);
            EXPECT_TRUE(lookIn->isVisible());
            EXPECT_EQ(placeOf(lookIn), lookInPlace);
        }
    }
}

TEST_F(OpenPreviewTest, NoPreviewCases) {
    WriteFile(Path("notes.txt"), "some text\n");
    WriteFile(Path("blob.zzq"), QByteArray("\x00\x01\x02\x03\xff\xfe", 6));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    struct Case {
        const char* name;
        QString file;
        bool showPreview;
    } cases[] = {
        {"folder", Path("folder"), true},
        {"missing file", Path("missing.txt"), true},
        {"unknown type", Path("blob.zzq"), true},
        {"show preview off", Path("notes.txt"), false},
    };
    for (const Case& c : cases) {
        dialog->SetShowPreview(c.showPreview);
        Preview(c.file);
        ASSERT_TRUE(TextShown()) << c.name;
        EXPECT_EQ(LastLine(dialog->PreviewText()), "No preview") << c.name;
        EXPECT_EQ(dialog->PreviewText()->document()->lastBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
                  Qt::AlignHCenter)
            << c.name;
        EXPECT_FALSE(dialog->PreviewText()->toPlainText().contains("some text")) << c.name;
    }
    // The message sits half the visible lines down.
    const int above = dialog->PreviewText()->document()->blockCount() - 1;
    const int visible = (dialog->PreviewBox()->viewport()->height() - 4) /
                        QFontMetrics(dialog->PreviewText()->font()).height();
    EXPECT_EQ(above, visible / 2);
}

TEST_F(OpenPreviewTest, HugeJpegIsReadReducedWithItsProportions) {
    QImage huge(2100, 2000, QImage::Format_RGB32);
    huge.fill(Qt::gray);
    ASSERT_TRUE(huge.save(Path("huge.jpg")));
    dialog->SetWordWrapAndScale(false);
    Preview(Path("huge.jpg"));
    ASSERT_FALSE(TextShown());
    const QSize read = dialog->Picture().size();
    EXPECT_LE(qint64(read.width()) * read.height(), TOpenPreviewDialog::kMaxPicturePixels);
    EXPECT_NEAR(double(read.width()) / read.height(), 2100.0 / 2000.0, 0.01);
}

TEST_F(OpenPreviewTest, UnknownExtensionShowsTheTypeDescription) {
    WriteFile(Path("brief.pdf"), "%PDF-1.4\n%%EOF\n");
    Preview(Path("brief.pdf"));
    ASSERT_TRUE(TextShown());
    EXPECT_EQ(LastLine(dialog->PreviewText()), QMimeDatabase().mimeTypeForName("application/pdf").comment());
    EXPECT_TRUE(LastLine(dialog->PreviewText()).contains("PDF"));
}

TEST_F(OpenPreviewTest, EmptyTextFileSwitchesToAnEmptyPicture) {
    WriteFile(Path("empty.txt"), "");
    Preview(Path("empty.txt"));
    EXPECT_FALSE(TextShown());
    EXPECT_TRUE(dialog->PreviewImage()->pixmap().isNull());
    EXPECT_EQ(Glyph(), "SCALEBUTTON");
}

TEST_F(OpenPreviewTest, WaveFilesPlayUntilTheCursorMovesOrTheDialogCloses) {
    QStringList played;
    int stops = 0;
    const TWavePlayer previous = SetWavePlayer({[&](const QString& f) { played << f; return true; }, [&] { ++stops; }});
    WriteFile(Path("ding.wav"), QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16));
    WriteFile(Path("a.txt"), "x\n");
    Preview(Path("ding.wav"));
    EXPECT_EQ(played, QStringList({Path("ding.wav")}));
    EXPECT_NE(LastLine(dialog->PreviewText()), "No preview");
    EXPECT_FALSE(LastLine(dialog->PreviewText()).isEmpty());
    Preview(Path("a.txt"));
    EXPECT_EQ(stops, 1);
    Preview(Path("ding.wav"));
    dialog->reject();
    EXPECT_EQ(stops, 2);
    SetWavePlayer(previous);
}

TEST_F(OpenPreviewTest, CustomExtensionsAreLeftToTheApplication) {
    WriteFile(Path("a.kel"), "x");
    QStringList seen;
    dialog->CustomPreviewExtensions = {"kel"};
    dialog->OnPreview = [&](QObject* sender, const QString& ext) {
        EXPECT_EQ(sender, dialog.get());
        seen << ext;
        dialog->PreviewText()->setPlainText("custom " + ext);
    };
    Preview(Path("a.kel"));
    EXPECT_EQ(seen, QStringList({"kel"}));
    EXPECT_EQ(dialog->PreviewText()->toPlainText(), "custom kel");

    // A failing handler is no error for the user: the file just has no preview.
    dialog->OnPreview = [](QObject*, const QString&) { throw std::runtime_error("broken"); };
    Preview(Path("a.kel"));
    EXPECT_EQ(LastLine(dialog->PreviewText()), "No preview");
}

TEST_F(OpenPreviewTest, ButtonsStatesCarryOverToTheNextExecute) {
    EXPECT_EQ(dialog->findChild<QLabel*>("CaptionPanel")->text(), "Preview:");
    EXPECT_EQ(dialog->ShowPreviewButton()->toolTip(), "Show Preview");
    EXPECT_EQ(dialog->ShowPreviewButton()->size(), QSize(22, 22));
    dialog->SetWordWrapAndScale(false);
    WriteFile(Path("a.txt"), "x\n");
    Preview(Path("a.txt"));
    dialog->ShowPreviewButton()->click();
    dialog->WordWrapButton()->click();
    EXPECT_FALSE(dialog->ShowPreview());
    EXPECT_TRUE(dialog->WordWrapAndScale());
    EXPECT_EQ(LastLine(dialog->PreviewText()), "No preview");
    dialog->reject();
    QTimer::singleShot(0, dialog.get(), [&] { dialog->reject(); });
    EXPECT_FALSE(dialog->Execute());
    EXPECT_FALSE(dialog->ShowPreviewButton()->isChecked());
    EXPECT_TRUE(dialog->WordWrapButton()->isChecked());
}

TEST_F(OpenPreviewTest, LargeRichTextIsCutToItsBeginning) {
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 First {\\b paragraph}\\par ";
    while (rtf.size() < 5 * 1024 * 1024) rtf += "{\\i Lorem ipsum dolor sit amet, consectetur adipiscing elit.}\\par ";
    rtf += "The very last line\\par}";
    WriteFile(Path("big.rtf"), rtf);
    Preview(Path("big.rtf"));
    ASSERT_TRUE(TextShown());
    const QString text = dialog->PreviewText()->toPlainText();
    EXPECT_TRUE(text.startsWith("First paragraph\n"));
    EXPECT_FALSE(text.contains("The very last line"));
    EXPECT_FALSE(text.contains("\\par")); // read as rich text, not shown as its source
    EXPECT_LT(text.size(), int(TOpenPreviewDialog::kMaxTextBytes));
}

TEST(OpenPreviewLanguage, TextsFollowTheUsersLanguage) {
    const std::pair<QLocale, QString> ids[] = {{QLocale(QLocale::German, QLocale::Germany), "0407"},
                                               {QLocale(QLocale::German, QLocale::Austria), "0C07"},
                                               {QLocale(QLocale::French, QLocale::France), "040C"},
                                               {QLocale(QLocale::Dutch, QLocale::Belgium), "0813"},
                                               {QLocale(QLocale::Danish, QLocale::Denmark), "0406"},
                                               {QLocale(QLocale::Spanish, QLocale::Spain), "0000"}};
    for (const auto& [locale, id] : ids) EXPECT_EQ(LanguageIdFor(locale), id) << locale.name().toStdString();

    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Austria));
    TOpenPreviewDialog german;
    QLocale::setDefault(previous);
    EXPECT_EQ(german.LangId(), "0C07");
    EXPECT_EQ(german.PrimaryLangId(), "0007");
    EXPECT_EQ(german.findChild<QLabel*>("CaptionPanel")->text(), "Vorschau:");
    EXPECT_EQ(german.LocalText(german.NoPreviewTexts), "Keine Vorschau");
    EXPECT_EQ(german.LocalText(german.ScaleHints), "Größe anpassen");
    // The full identifier first, then the primary language, "Default", the first entry.
    const std::pair<QStringList, QString> lookups[] = {{{"Default=d", "0007=p", "0C07=full"}, "full"},
                                                       {{"Default=d", "0007=p"}, "p"},
                                                       {{"0409=e", "Default=d"}, "d"},
                                                       {{"0409=e", "040C=f"}, "e"},
                                                       {{}, ""}};
    for (const auto& [list, expected] : lookups) EXPECT_EQ(german.LocalText(list), expected) << list.join(',').toStdString();

    TOpenPreviewDialog spanish;
    EXPECT_EQ(spanish.LocalText(spanish.PreviewCaptions), "Preview:");
    EXPECT_EQ(spanish.LocalText(spanish.Titles), ""); // the system title stays
}
