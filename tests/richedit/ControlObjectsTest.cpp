// Embedded objects (pictures or file icons) and the clipboard.
#include "richedit/RichEdit98.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <gtest/gtest.h>

namespace {

class ControlObjects : public ::testing::Test {
protected:
    void SetUp() override {
        TRichEdit98::ConfigureAsTemplateEditor(edit);
        edit.Lines().SetText("before after");
        edit.SetSelectionStart(7);
        QImage picture(20, 10, QImage::Format_RGB32);
        picture.fill(Qt::red);
        picturePath = dir.filePath("red.png");
        ASSERT_TRUE(picture.save(picturePath));
        documentPath = dir.filePath("contract.pdf");
        QFile other(documentPath);
        ASSERT_TRUE(other.open(QIODevice::WriteOnly));
        other.write("%PDF-1.4 not a picture");
    }
    QTextImageFormat ObjectAt(int position) const {
        QTextCursor cursor(edit.document());
        cursor.setPosition(position + 1);
        return cursor.charFormat().toImageFormat();
    }
    QTemporaryDir dir;
    QString picturePath, documentPath;
    TRichEdit98 edit;
};

TEST_F(ControlObjects, APictureFileIsEmbeddedAsItselfAndSelectable) {
    edit.InsertObjectFromFile(picturePath);
    const QTextImageFormat format = ObjectAt(7);
    ASSERT_TRUE(format.isValid());
    const QImage stored = edit.document()->resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
    EXPECT_EQ(stored.size(), QSize(20, 10));
    EXPECT_EQ(stored.pixelColor(3, 3), QColor(Qt::red));
    EXPECT_EQ(edit.Text().substr(0, 7), "before ");
    EXPECT_EQ(edit.Text().substr(8), "after");

    EXPECT_FALSE(edit.ObjectSelected()) << "a bare caret";
    edit.SetSelectionStart(7);
    edit.SetSelectionLength(1);
    EXPECT_TRUE(edit.ObjectSelected());
    edit.SetSelectionLength(2);
    EXPECT_FALSE(edit.ObjectSelected());
}

TEST_F(ControlObjects, AnyOtherFileShowsAsAnIconPictureThatIsSavedAsAPicture) {
    edit.InsertObjectFromFile(documentPath);
    const QTextImageFormat format = ObjectAt(7);
    ASSERT_TRUE(format.isValid());
    EXPECT_TRUE(format.name().endsWith("contract.pdf"));
    const QImage icon = edit.document()->resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
    EXPECT_FALSE(icon.isNull());
    EXPECT_GE(icon.width(), 32);

    QByteArray rtf;
    edit.Lines().SaveToStream(rtf);
    EXPECT_TRUE(rtf.contains("\\pict")) << "the object goes out as a picture";
    edit.SetOutputFormat(ofRTFNoObjs);
    QByteArray noObjects;
    edit.Lines().SaveToStream(noObjects);
    EXPECT_FALSE(noObjects.contains("\\pict"));
}

TEST_F(ControlObjects, EmbeddingOffOrAnUnreadableFileChangesNothing) {
    TRichEdit98 plain;
    plain.Lines().SetText("x");
    plain.InsertObjectFromFile(picturePath);
    EXPECT_EQ(plain.Text(), "x");
    plain.SelectAll();
    EXPECT_FALSE(plain.ObjectSelected());
    EXPECT_THROW(edit.InsertObjectFromFile(dir.filePath("missing.png")), Platform::EFOpenError);
    EXPECT_EQ(edit.Text(), "before after");
}

TEST_F(ControlObjects, ClearDropsTheObjects) {
    edit.InsertObjectFromFile(picturePath);
    const QString name = ObjectAt(7).name();
    edit.Clear();
    EXPECT_EQ(edit.GetTextLen(), 0);
    EXPECT_FALSE(edit.document()->resource(QTextDocument::ImageResource, QUrl(name)).isValid());
}

TEST_F(ControlObjects, CopyPutsRtfOnTheClipboardAndPasteReadsIt) {
    edit.Lines().SetText("plain bold plain");
    edit.SetSelectionStart(6);
    edit.SetSelectionLength(4);
    edit.SelectionAttributes().SetBold(true);
    edit.CopyToClipboard();
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->data("text/rtf").startsWith("{\\rtf1"));
    EXPECT_EQ(data->text(), "bold");

    TRichEdit98 other;
    other.Lines().SetText("[]");
    other.SetSelectionStart(1);
    other.PasteFromClipboard();
    EXPECT_EQ(other.Text(), "[bold]");
    other.SetSelectionStart(2);
    EXPECT_TRUE(other.SelectionAttributes().Bold());

    other.SetMaxLength(8);
    other.SetSelectionStart(0);
    other.PasteFromClipboard(); // would make 10 characters
    EXPECT_EQ(other.Text(), "[bold]");
}

} // namespace
