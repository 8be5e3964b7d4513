// Tip of the day, driven through its window's buttons.
#include "ModalAnswer.h"

#include "dialogs/TipDialog.h"
#include "platform/Registry.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Dialogs;

namespace {

// Runs Execute; `act` works the window as a person would, then OK closes it.
bool RunTips(TTipDialog& dialog, const std::function<void(TTipsForm&)>& act) {
    bool acted = false;
    WhenModalAppears([&](QWidget* modal) {
        auto* form = qobject_cast<TTipsForm*>(modal);
        if (form) {
            act(*form);
            acted = true;
        }
        modal->findChild<QPushButton*>("OKBtn")->click();
    });
    const bool result = dialog.Execute();
    EXPECT_TRUE(acted);
    return result;
}

QStringList Numbered(int n) {
    QStringList tips;
    for (int i = 1; i <= n; ++i) tips << QString("Tip number %1").arg(i);
    return tips;
}

TEST(TipDialog, SequentialTipsWrapBothWays) {
    TTipDialog dialog;
    dialog.Tips = Numbered(14);
    RunTips(dialog, [](TTipsForm& f) {
        EXPECT_EQ(f.windowTitle(), "Tip of the day");
        EXPECT_EQ(f.TipTitleLbl->text(), "Did you know...");
        EXPECT_TRUE(f.PrevBtn->isVisible());
        EXPECT_EQ(f.TipLbl->text(), "Tip number 1");
        f.PrevBtn->click();
        EXPECT_EQ(f.TipLbl->text(), "Tip number 14");
        f.NextBtn->click();
        EXPECT_EQ(f.TipLbl->text(), "Tip number 1");
        for (int i = 0; i < 13; ++i) f.NextBtn->click();
        EXPECT_EQ(f.TipLbl->text(), "Tip number 14");
        f.NextBtn->click();
        EXPECT_EQ(f.TipLbl->text(), "Tip number 1");
    });
}

TEST(TipDialog, RandomTipsNeverRepeatAndHidePrevious) {
    TTipDialog dialog;
    dialog.Tips = Numbered(3);
    dialog.RandomTips = true;
    RunTips(dialog, [](TTipsForm& f) {
        EXPECT_FALSE(f.PrevBtn->isVisible());
        QSet<QString> seen;
        QString last = f.TipLbl->text();
        for (int i = 0; i < 300; ++i) {
            f.NextBtn->click();
            EXPECT_NE(f.TipLbl->text(), last);
            last = f.TipLbl->text();
            seen.insert(last);
        }
        EXPECT_EQ(seen.size(), 3) << "every tip turns up";
    });
}

TEST(TipDialog, OneTipOrNone) {
    for (bool random : {false, true}) {
        TTipDialog one;
        one.Tips = {"Only tip"};
        one.RandomTips = random;
        RunTips(one, [](TTipsForm& f) {
            EXPECT_EQ(f.TipLbl->text(), "Only tip");
            f.NextBtn->click();
            f.NextBtn->click();
            EXPECT_EQ(f.TipLbl->text(), "Only tip");
        });
        TTipDialog none;
        none.RandomTips = random;
        RunTips(none, [](TTipsForm& f) {
            EXPECT_TRUE(f.TipLbl->text().isEmpty());
            EXPECT_FALSE(f.NextBtn->isEnabled());
            EXPECT_FALSE(f.PrevBtn->isEnabled());
        });
    }
}

TEST(TipDialog, LineBreakSubstituteAndCaptions) {
    TTipDialog dialog;
    dialog.Tips = {"First line|second line|third line"};
    dialog.CRLFSubstitute = "|";
    dialog.DlgCaption = "Hints";
    dialog.TipTitle = "\u00AB\u0141ukasz\u00BB says \u20AC";
    RunTips(dialog, [](TTipsForm& f) {
        EXPECT_EQ(f.windowTitle(), "Hints");
        EXPECT_EQ(f.TipTitleLbl->text(), "\u00AB\u0141ukasz\u00BB says \u20AC");
        EXPECT_EQ(f.TipLbl->text(), "First line\r\nsecond line\r\nthird line");
    });
}

TEST(TipDialog, ExecuteReturnsTheCheckBox) {
    TTipDialog dialog;
    dialog.Tips = Numbered(2);
    ASSERT_TRUE(dialog.ShowAtStartup);
    EXPECT_FALSE(RunTips(dialog, [](TTipsForm& f) {
        EXPECT_TRUE(f.ShowChk->isChecked());
        f.ShowChk->click();
    }));
    EXPECT_FALSE(dialog.ShowAtStartup);
    EXPECT_TRUE(RunTips(dialog, [](TTipsForm& f) {
        EXPECT_FALSE(f.ShowChk->isChecked()) << "kept from the last showing";
        f.ShowChk->click();
    }));
}

TEST(TipDialog, PictureLetsThePanelColourThrough) {
    TTipDialog dialog;
    dialog.Tips = Numbered(1);
    dialog.PanelColor = QColor(10, 200, 30);
    RunTips(dialog, [](TTipsForm& f) {
        const QImage picture = f.Image1->pixmap().toImage();
        ASSERT_FALSE(picture.isNull());
        EXPECT_EQ(picture.pixelColor(0, picture.height() - 1), QColor(10, 200, 30));
        EXPECT_EQ(picture.pixelColor(picture.width() / 2, picture.height() / 3).rgb() == QColor(10, 200, 30).rgb(), false)
            << "the picture itself is drawn";
        EXPECT_EQ(f.TipPanel->palette().color(QPalette::Window), QColor(10, 200, 30));
    });
}

TEST(TipDialog, TipsFromAnIniSectionInFileOrder) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("tips.ini");
    {
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Other]\r\nz=not this\r\n[Tips]\r\nzeta=Caf\xE9 first\r\nalpha = second\r\nbare\r\n\r\n[More]\r\nq=no\r\n");
    }
    TTipDialog dialog;
    dialog.Tips = {"embedded, replaced"};
    dialog.TipsLocation = locINIFile;
    dialog.INIFile = ini;
    dialog.INISection = "tips";
    RunTips(dialog, [](TTipsForm& f) {
        EXPECT_EQ(f.FTips, QStringList({"Caf\u00E9 first", "second", ""}));
        EXPECT_EQ(f.TipLbl->text(), "Caf\u00E9 first");
    });
    dialog.INIFile = dir.filePath("missing.ini");
    RunTips(dialog, [](TTipsForm& f) {
        EXPECT_TRUE(f.FTips.isEmpty());
        EXPECT_FALSE(f.NextBtn->isEnabled());
    });
}

TEST(TipDialog, TipsFromTheRegistrySkipOtherValueTypes) {
    QTemporaryDir config;
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    {
        Platform::Registry reg(Platform::RegRoot::LocalMachine);
        ASSERT_TRUE(reg.OpenKey("\\Software\\Kelvora\\Tips", true));
        reg.WriteString("Tip2", "Second \u20AC");
        reg.WriteBinaryData("Tip3", QByteArray("\x01\x02", 2));
        reg.WriteString("Tip10", "Tenth");
        reg.WriteString("Tip1", "First");
    }
    TTipDialog dialog;
    dialog.TipsLocation = locRegistry;
    dialog.RegistryRoot = LOCAL_MACHINE;
    dialog.RegistryKey = "\\Software\\Kelvora\\Tips";
    RunTips(dialog, [](TTipsForm& f) { EXPECT_EQ(f.FTips, QStringList({"First", "Second \u20AC", "Tenth"})); });
    dialog.RegistryRoot = CURRENT_USER; // the key lives under another root
    RunTips(dialog, [](TTipsForm& f) { EXPECT_TRUE(f.FTips.isEmpty()); });
    qputenv("XDG_CONFIG_HOME", previous);
}

} // namespace
