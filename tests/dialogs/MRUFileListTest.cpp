// The recent-file list: its order rules, its menu entries, clicks and storage.
#include "dialogs/MRUFList.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"

#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Dialogs;

namespace {

QStringList Captions(const QMenu* menu) {
    QStringList out;
    for (const QAction* a : menu->actions()) out << (a->isSeparator() ? QString("-") : a->text());
    return out;
}

// A menu shaped like the Document Assembly menu.
struct MenuFixture {
    QMenu menu;
    QAction* info = menu.addAction("Edit/Select Information File");
    QAction* separator = menu.addSeparator();
    QAction* templ = menu.addAction("Edit/Select Template File");
};

// A list as the main window sets it up, attached to `item`, not storing anything.
std::unique_ptr<TMRUFileList> MainWindowList(QAction* item) {
    auto list = std::make_unique<TMRUFileList>();
    list->SetAutoSave(false);
    list->SetUseSubmenu(true);
    list->SetInsertSeparator(false);
    list->SetSubmenuName("Recent Files");
    list->SetMaxCaptionWidth(0);
    list->SetFileMenu(item);
    list->Loaded();
    return list;
}

void ClearStoredLists() {
    Platform::Registry registry;
    registry.DeleteKey("\\Software\\My Application");
    registry.DeleteKey("\\Software\\Kelvora Test");
}

} // namespace

TEST(MRUFileList, DefaultsAreThoseOfTheComponent) {
    TMRUFileList list;
    EXPECT_TRUE(list.AddToTop());
    EXPECT_EQ(list.Maximum(), 5);
    EXPECT_TRUE(list.RemoveOnClick());
    EXPECT_FALSE(list.UseSubmenu());
    EXPECT_TRUE(list.InsertSeparator());
    EXPECT_EQ(list.SubmenuName(), "Reopen");
    EXPECT_EQ(list.ClearItemName(), "&Clear MRU List");
    EXPECT_EQ(list.RemoveObsoleteName(), "&Remove Obsolete");
    EXPECT_TRUE(list.ShowClearItem() && list.ShowRemoveObsolete());
    EXPECT_EQ(list.MaxCaptionWidth(), 200);
    EXPECT_EQ(list.MRUDisplay(), mdFullPath);
    EXPECT_TRUE(list.AutoSave() && list.UseRegistry());
    EXPECT_EQ(list.AutoSaveRootKey(), rkCurrentUser);
    EXPECT_EQ(list.AutoSaveName(), "\\Software\\My Application");
    EXPECT_EQ(list.AutoSaveKey(), "MRU Items");
    EXPECT_TRUE(list.Items().isEmpty()); // nothing is loaded on creation
}

TEST(MRUFileList, AddItemKeepsTheMostRecentWithoutDuplicates) {
    struct Case {
        const char* name;
        bool addToTop;
        QStringList added;
        QStringList expected;
    } cases[] = {
        {"six names, newest first", true, {"/a", "/b", "/c", "/d", "/e", "/f"}, {"/f", "/e", "/d", "/c", "/b"}},
        {"re-added in other case moves up", true, {"/x/A.tem", "/b", "/x/a.TEM"}, {"/x/A.tem", "/b"}},
        {"appended, oldest dropped", false, {"/a", "/b", "/c", "/d", "/e", "/f"}, {"/b", "/c", "/d", "/e", "/f"}},
        {"re-added goes to the end", false, {"/a", "/b", "/c", "/A"}, {"/b", "/c", "/a"}},
    };
    for (const Case& c : cases) {
        TMRUFileList list;
        list.SetAutoSave(false);
        list.SetAddToTop(c.addToTop);
        for (const QString& name : c.added) list.AddItem(name);
        EXPECT_EQ(list.Items(), c.expected) << c.name;
    }
}

TEST(MRUFileList, SmallerMaximumTrimsAtOnceLargerWaits) {
    MenuFixture m;
    auto list = MainWindowList(m.info);
    for (const char* name : {"/a", "/b", "/c", "/d"}) list->AddItem(name);
    list->SetMaximum(2);
    EXPECT_EQ(list->Items(), QStringList({"/d", "/c"}));
    EXPECT_EQ(Captions(m.menu.actions()[0]->menu()),
              QStringList({"&1 /d", "&2 /c", "-", "&Clear MRU List", "&Remove Obsolete"}));
    list->SetMaximum(9);
    EXPECT_EQ(list->Items().size(), 2);
}

TEST(MRUFileList, MenuOfTheMainWindowLists) {
    MenuFixture m;
    auto infos = MainWindowList(m.info);
    auto templates = MainWindowList(m.templ);
    // Empty lists add nothing at all.
    EXPECT_EQ(Captions(&m.menu), QStringList({"Edit/Select Information File", "-", "Edit/Select Template File"}));

    infos->AddItem("/cases/brown.inf");
    infos->AddItem("/cases/smith.inf");
    templates->AddItem("/forms/letter.tem");
    EXPECT_EQ(Captions(&m.menu), QStringList({"Recent Files", "Edit/Select Information File", "-", "Recent Files",
                                              "Edit/Select Template File"}));
    const QMenu* sub = m.menu.actions()[0]->menu();
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(Captions(sub),
              QStringList({"&1 /cases/smith.inf", "&2 /cases/brown.inf", "-", "&Clear MRU List", "&Remove Obsolete"}));
    auto* first = qobject_cast<TMRUMenuItem*>(sub->actions()[0]);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->ItemNumber, 1);
    EXPECT_EQ(first->FullCaption, "&1 /cases/smith.inf");
    EXPECT_EQ(first->MRUList, infos.get());
    EXPECT_EQ(qobject_cast<TMRUMenuItem*>(sub->actions()[3])->ItemNumber, 0);
    EXPECT_TRUE(sub->actions()[2]->isSeparator() && sub->actions()[2]->text().isEmpty()); // nothing for a style to draw
    EXPECT_EQ(Captions(m.menu.actions()[3]->menu()),
              QStringList({"&1 /forms/letter.tem", "-", "&Clear MRU List", "&Remove Obsolete"}));

    // Destroying a list takes exactly its own entries away.
    infos.reset();
    EXPECT_EQ(Captions(&m.menu), QStringList({"Edit/Select Information File", "-", "Recent Files",
                                              "Edit/Select Template File"}));
}

TEST(MRUFileList, MenuTargetsAndOptions) {
    // Default settings: a separator and the entries just before the menu item.
    {
        MenuFixture m;
        TMRUFileList list;
        list.SetAutoSave(false);
        list.SetMaxCaptionWidth(0);
        list.SetShowRemoveObsolete(false);
        list.SetClearItemName("");
        list.SetFileMenu(m.templ);
        list.AddItem("/a.tem");
        EXPECT_EQ(Captions(&m.menu), QStringList({"Edit/Select Information File", "-", "-", "&1 /a.tem", "-",
                                                  "&Clear MRU List", "Edit/Select Template File"}));
    }
    // A menu item with a submenu receives the entries at its end; a popup menu at its top.
    {
        QMenu file("File");
        file.addAction("Open");
        QMenu popup;
        popup.addAction("Cut");
        TMRUFileList list;
        list.SetAutoSave(false);
        list.SetMaxCaptionWidth(0);
        list.SetShowClearItem(false);
        list.SetShowRemoveObsolete(false);
        list.SetFileMenu(file.menuAction());
        list.SetPopupMenu(&popup);
        list.AddItem("/b");
        list.AddItem("/a");
        EXPECT_EQ(Captions(&file), QStringList({"Open", "-", "&1 /a", "&2 /b"}));
        EXPECT_EQ(Captions(&popup), QStringList({"&1 /a", "&2 /b", "Cut"}));
        list.SetPopupMenu(nullptr);
        EXPECT_EQ(Captions(&popup), QStringList({"Cut"}));
    }
}

TEST(MRUFileList, AcceleratorPrefixes) {
    const std::pair<int, QString> cases[] = {{0, "&1 "}, {8, "&9 "}, {9, "&0 "}, {10, "&A "}, {35, "&Z "}, {36, ""}};
    for (const auto& [index, prefix] : cases) EXPECT_EQ(TMRUFileList::AcceleratorPrefix(index), prefix) << index;
}

TEST(MRUFileList, DisplayModes) {
    MenuFixture m;
    TMRUFileList list;
    list.SetAutoSave(false);
    list.SetUseSubmenu(true);
    list.SetFileMenu(m.info);
    list.Loaded();
    list.AddItem("/home/ann/letters/brown.v2.tem");
    auto caption = [&] { return m.menu.actions()[1]->menu()->actions()[0]->text(); };
    struct Case {
        TMRUDisplay mode;
        int width;
        QString expected;
    } cases[] = {
        {mdFullPath, 0, "&1 /home/ann/letters/brown.v2.tem"},
        {mdFileNameExt, 200, "brown.v2.tem"},
        {mdFileNameOnly, 200, "brown.v2"},
    };
    for (const Case& c : cases) {
        list.SetMRUDisplay(c.mode);
        list.SetMaxCaptionWidth(c.width);
        EXPECT_EQ(caption(), c.expected) << c.mode;
    }
    QString seenName, seenPreset;
    list.OnGetDisplayName = [&](QObject*, const QString& name, QString& display) {
        seenName = name;
        seenPreset = display;
        display = "Brown's letter";
    };
    list.SetMRUDisplay(mdCustom);
    list.PopulateMenu();
    EXPECT_EQ(caption(), "Brown's letter");
    EXPECT_EQ(seenName, "/home/ann/letters/brown.v2.tem");
    EXPECT_EQ(seenPreset, "&1 /home/ann/letters/brown.v2.tem");
}

TEST(MRUFileList, LongPathIsShortenedFolderByFolderKeepingTheFileName) {
    const QFontMetrics metrics(QApplication::font("QMenu"));
    const QString name = "/home/ann/Docs/Letters/a.tem";
    const QStringList steps = {"/home/ann/Docs/Letters/a.tem", "/.../ann/Docs/Letters/a.tem", "/.../Docs/Letters/a.tem",
                               "/.../Letters/a.tem", "/.../a.tem", ".../a.tem", "a.tem"};
    for (const QString& step : steps)
        EXPECT_EQ(TMRUFileList::ShortenPath(name, metrics.horizontalAdvance(step), metrics), step);
    // Narrower than the file name alone: the name still stays whole.
    EXPECT_EQ(TMRUFileList::ShortenPath(name, 1, metrics), "a.tem");
    // A dot folder is a folder like any other.
    EXPECT_EQ(TMRUFileList::StripFirstFolder("/.config/x/"), "/.../x/");

    const std::pair<QString, QString> strips[] = {
        {"/", ""}, {"/a/b/", "/.../b/"}, {"/.../b/c/", "/.../c/"}, {"/.../", "/"}, {".../", ""}, {"a/", ".../"}, {"a", ""}};
    for (const auto& [folder, expected] : strips) EXPECT_EQ(TMRUFileList::StripFirstFolder(folder), expected) << folder.toStdString();
}

TEST(MRUFileList, ClickRemovesTheEntryBeforeTheHandlerRuns) {
    MenuFixture m;
    auto list = MainWindowList(m.info);
    list->AddItem("/b.inf");
    list->AddItem("/a.inf");
    QString clicked;
    QStringList itemsSeen, entriesSeen;
    list->OnMRUItemClick = [&](QObject* sender, const QString& fileName) {
        EXPECT_EQ(sender, list.get());
        clicked = fileName;
        itemsSeen = list->Items();
        entriesSeen = Captions(m.menu.actions()[0]->menu());
    };
    QMenu* sub = m.menu.actions()[0]->menu();
    sub->actions()[1]->trigger();
    // The menu is done with its entry before anything is rebuilt.
    EXPECT_TRUE(clicked.isEmpty());
    QApplication::processEvents();
    EXPECT_EQ(clicked, "/b.inf");
    EXPECT_EQ(itemsSeen, QStringList({"/a.inf"}));
    EXPECT_EQ(entriesSeen, QStringList({"&1 /a.inf", "-", "&Clear MRU List", "&Remove Obsolete"}));

    // Without RemoveOnClick the entry stays.
    list->SetRemoveOnClick(false);
    list->ItemClick(1);
    EXPECT_EQ(clicked, "/a.inf");
    EXPECT_EQ(list->Items(), QStringList({"/a.inf"}));
}

TEST(MRUFileList, ClearAndRemoveObsoleteFromTheMenu) {
    QTemporaryDir dir;
    const QString kept = dir.filePath("kept.tem"), gone = dir.filePath("gone.tem");
    for (const QString& name : {kept, gone}) {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    MenuFixture m;
    auto list = MainWindowList(m.templ);
    for (const QString& name : {gone, kept, dir.filePath("never.tem")}) list->AddItem(name);
    QFile::remove(gone);

    auto entry = [&](const QString& caption) -> QAction* {
        for (QAction* a : m.menu.actions()[2]->menu()->actions())
            if (a->text() == caption) return a;
        return nullptr;
    };
    ASSERT_NE(entry("&Remove Obsolete"), nullptr);
    entry("&Remove Obsolete")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(list->Items(), QStringList({kept}));

    // A handler decides instead of the file's existence.
    list->AddItem("/not/there.tem");
    list->OnRemoveObsolete = [](QObject*, const QString& item, bool& remove) { remove = item.endsWith("kept.tem"); };
    list->RemoveObsoleteItems();
    EXPECT_EQ(list->Items(), QStringList({"/not/there.tem"}));

    entry("&Clear MRU List")->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(list->Items().isEmpty());
    EXPECT_EQ(Captions(&m.menu), QStringList({"Edit/Select Information File", "-", "Edit/Select Template File"}));
}

TEST(MRUFileList, CreateAndDestroyEventsPairUp) {
    MenuFixture m;
    int created = 0, destroyed = 0;
    {
        auto list = MainWindowList(m.info);
        list->OnCreateMRUItem = [&](QObject*, TMRUMenuItem*) { ++created; };
        list->OnDestroyMRUItem = [&](QObject*, TMRUMenuItem*) { ++destroyed; };
        list->AddItem("/a");
        list->AddItem("/b");
    }
    // Two builds: submenu, separator and commands around one file, then two files.
    EXPECT_EQ(destroyed, 11);
    EXPECT_EQ(created, destroyed);
}

TEST(MRUFileList, RegistryKeepsTheOrderAndLeavesNoStaleValues) {
    ClearStoredLists();
    TMRUFileList list;
    list.SetAutoSave(false);
    list.SetMaximum(12);
    for (int i = 11; i >= 1; --i) list.AddItem(QString("/docs/file%1 «Łukasz» €.tem").arg(i));
    ASSERT_TRUE(list.SaveToStorage());
    TMRUFileList loaded;
    loaded.SetAutoSave(false);
    loaded.SetMaximum(12);
    ASSERT_TRUE(loaded.LoadFromStorage());
    EXPECT_EQ(loaded.Items(), list.Items()); // "F10" comes after "F9"

    while (list.Items().size() > 3) list.ItemClick(list.Items().size());
    ASSERT_TRUE(list.SaveToStorage());
    Platform::Registry registry;
    ASSERT_TRUE(registry.OpenKey("\\Software\\My Application\\MRU Items", false));
    EXPECT_EQ(registry.GetValueNames(), QStringList({"F0", "F1", "F2"}));
    EXPECT_EQ(registry.ReadString("F0"), "/docs/file1 «Łukasz» €.tem");
    ASSERT_TRUE(loaded.LoadFromStorage());
    EXPECT_EQ(loaded.Items(), list.Items());

    // Empty values are skipped; no storage name means nothing is read or written.
    registry.WriteString("F3", "");
    ASSERT_TRUE(loaded.LoadFromStorage());
    EXPECT_EQ(loaded.Items().size(), 3);
    loaded.SetAutoSaveKey("");
    EXPECT_FALSE(loaded.LoadFromStorage());
    EXPECT_FALSE(loaded.SaveToStorage());
}

// A settings file holding a list far longer than the Maximum (grown by another
// program, or edited by hand): read once and cut, so the start is not held up.
TEST(MRUFileList, AStoredListLongerThanTheMaximumIsCutOnReading) {
    ClearStoredLists();
    {
        Platform::Registry registry;
        ASSERT_TRUE(registry.OpenKey("\\Software\\My Application\\MRU Items", true));
        QSettings settings(Platform::RegistryFileName(), QSettings::IniFormat);
        for (int i = 0; i < 10000; ++i)
            settings.setValue(QString("HKEY_CURRENT_USER/Software/My Application/MRU Items/F%1").arg(i),
                              QString("/docs/file%1 «Łukasz» €.tem").arg(i));
    }
    for (const bool addToTop : {true, false}) {
        TMRUFileList list;
        list.SetAutoSave(false);
        list.SetAddToTop(addToTop);
        ASSERT_TRUE(list.LoadFromStorage());
        const int first = addToTop ? 0 : 9995;
        QStringList expected;
        for (int i = first; i < first + 5; ++i) expected << QString("/docs/file%1 «Łukasz» €.tem").arg(i);
        EXPECT_EQ(list.Items(), expected);
    }
    ClearStoredLists();
}

TEST(MRUFileList, LoadedAndDestructionUseStorageWhenAutoSave) {
    ClearStoredLists();
    MenuFixture m;
    {
        TMRUFileList list;
        list.SetAutoSaveName("Software\\Kelvora Test"); // the leading backslash is added
        list.SetFileMenu(m.info);
        list.Loaded();
        list.AddItem("/one.inf");
        list.AddItem("/two.inf");
    }
    EXPECT_EQ(Captions(&m.menu).size(), 3); // destruction removed the entries
    TMRUFileList again;
    again.SetAutoSaveName("\\Software\\Kelvora Test");
    again.SetFileMenu(m.info);
    EXPECT_TRUE(again.Items().isEmpty());
    again.Loaded();
    EXPECT_EQ(again.Items(), QStringList({"/two.inf", "/one.inf"}));
    EXPECT_EQ(Captions(&m.menu).size(), 9); // separator, 2 files, separator, 2 commands, and the 3 of the menu
    // After loading, a new key loads again (the list is replaced).
    again.SetAutoSaveKey("Other");
    EXPECT_TRUE(again.Items().isEmpty());
    again.SetAutoSave(false);
}

TEST(MRUFileList, IniModeWritesTheSectionInOrder) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("recent.ini");
    {
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Other]\nkeep=me\n[MRU Items]\nF0=/old0\nF1=/old1\nF2=/old2\nF3=/old3\n");
    }
    TMRUFileList list;
    list.SetAutoSave(false);
    list.SetUseRegistry(false);
    list.SetAutoSaveName(ini);
    ASSERT_TRUE(list.LoadFromStorage());
    EXPECT_EQ(list.Items(), QStringList({"/old0", "/old1", "/old2", "/old3"}));
    list.ItemClick(4);
    list.AddItem("/new é.tem");
    ASSERT_TRUE(list.SaveToStorage());
    const Platform::TIniFile stored(ini);
    EXPECT_EQ(stored.ReadSectionValues("MRU Items"), QStringList({"F0=/new é.tem", "F1=/old0", "F2=/old1", "F3=/old2"}));
    EXPECT_EQ(stored.ReadString("Other", "keep"), "me");
    // A relative name lives in the configuration folder.
    list.SetAutoSaveName("kelvora-recent.ini");
    EXPECT_EQ(list.IniFileName(), QFileInfo(Platform::RegistryFileName()).absolutePath() + "/kelvora-recent.ini");
}
