#include "dialogs/MRUFList.h"

#include "platform/IniFile.h"
#include "platform/Registry.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMenu>
#include <algorithm>

namespace Dialogs {

namespace {

constexpr const char* kAccelerators = "1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZ";

Platform::RegRoot RegRootOf(TRootKey key) {
    switch (key) {
    case rkClassesRoot: return Platform::RegRoot::ClassesRoot;
    case rkLocalMachine: return Platform::RegRoot::LocalMachine;
    case rkUsers: return Platform::RegRoot::Users;
    case rkCurrentConfig: return Platform::RegRoot::CurrentConfig;
    case rkDynData: return Platform::RegRoot::DynData;
    default: return Platform::RegRoot::CurrentUser;
    }
}

// The menu that shows this entry (a menu entry lives in one menu here).
QMenu* MenuOf(QAction* action) {
    for (QObject* object : action->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(object)) return menu;
    return nullptr;
}

QString FileNamePart(const QString& caption) { return caption.mid(caption.lastIndexOf('/') + 1); }

} // namespace

// --- TMRUMenuItem ---------------------------------------------------------------------

TMRUMenuItem::TMRUMenuItem(TMRUFileList* list, QObject* parent) : QAction(parent), MRUList(list) {
    if (list) list->FMenuItems.append(this);
}

TMRUMenuItem::~TMRUMenuItem() {
    if (MRUList) MRUList->DoDestroyMRUItem(this);
    delete Submenu.data();
}

// --- TMRUFileList ---------------------------------------------------------------------

TMRUFileList::TMRUFileList(QObject* owner) : QObject(owner) {}

TMRUFileList::~TMRUFileList() {
    try {
        if (FAutoSave) SaveToStorage();
    } catch (const std::exception& error) {
        qWarning("%s", error.what());
    }
    RemoveMenuItems();
    // Entries in menus the list no longer points at outlive it.
    for (const QPointer<TMRUMenuItem>& item : std::as_const(FMenuItems))
        if (item) item->MRUList = nullptr;
}

void TMRUFileList::Loaded() {
    FLoading = false;
    if (FAutoSave) LoadFromStorage();
}

void TMRUFileList::ReloadIfAutoSave() {
    if (FAutoSave && !FLoading) LoadFromStorage();
}

void TMRUFileList::TrimTo(int count) {
    while (FItems.size() > count) {
        if (FAddToTop) FItems.removeLast();
        else FItems.removeFirst();
    }
}

void TMRUFileList::SetMaximum(int value) {
    const bool smaller = value < FMaximum;
    FMaximum = value;
    if (!smaller) return;
    TrimTo(value);
    PopulateMenu();
}

void TMRUFileList::SetUseSubmenu(bool value) {
    FUseSubmenu = value;
    PopulateMenu();
}

void TMRUFileList::SetInsertSeparator(bool value) {
    FInsertSeparator = value;
    PopulateMenu();
}

void TMRUFileList::SetSubmenuName(const QString& value) {
    FSubmenuName = value;
    if (FUseSubmenu) PopulateMenu();
}

void TMRUFileList::SetClearItemName(const QString& value) {
    FClearItemName = value;
    PopulateMenu();
}

void TMRUFileList::SetShowClearItem(bool value) {
    FShowClearItem = value;
    PopulateMenu();
}

void TMRUFileList::SetRemoveObsoleteName(const QString& value) {
    FRemoveObsoleteName = value;
    PopulateMenu();
}

void TMRUFileList::SetShowRemoveObsolete(bool value) {
    FShowRemoveObsolete = value;
    PopulateMenu();
}

void TMRUFileList::SetFileMenu(QAction* value) {
    RemoveMenuItems();
    FFileMenu = value;
    PopulateMenu();
}

void TMRUFileList::SetPopupMenu(QMenu* value) {
    RemoveMenuItems();
    FPopupMenu = value;
    PopulateMenu();
}

void TMRUFileList::SetMaxCaptionWidth(int value) {
    FMaxCaptionWidth = value;
    PopulateMenu();
}

void TMRUFileList::SetMRUDisplay(TMRUDisplay value) {
    FMRUDisplay = value;
    ReloadIfAutoSave();
}

void TMRUFileList::SetAutoSaveRootKey(TRootKey value) {
    FAutoSaveRootKey = value;
    if (FAutoSave) LoadFromStorage();
}

void TMRUFileList::SetAutoSaveName(const QString& value) {
    FAutoSaveName = value;
    ReloadIfAutoSave();
}

void TMRUFileList::SetAutoSaveKey(const QString& value) {
    FAutoSaveKey = value;
    ReloadIfAutoSave();
}

// --- the list ----------------------------------------------------------------------------

void TMRUFileList::AddItem(const QString& fileName) {
    const auto match = std::find_if(FItems.cbegin(), FItems.cend(),
                                    [&](const QString& item) { return item.compare(fileName, Qt::CaseInsensitive) == 0; });
    const qsizetype found = match == FItems.cend() ? -1 : match - FItems.cbegin();
    if (found < 0) {
        if (FAddToTop) FItems.prepend(fileName);
        else FItems.append(fileName);
        TrimTo(FMaximum);
    } else {
        FItems.move(found, FAddToTop ? 0 : FItems.size() - 1);
    }
    PopulateMenu();
}

void TMRUFileList::ClearItems() {
    RemoveMenuItems();
    FItems.clear();
}

void TMRUFileList::RemoveObsoleteItems() {
    bool removed = false;
    for (int i = FItems.size() - 1; i >= 0; --i)
        if (DoRemoveObsolete(FItems[i])) {
            FItems.removeAt(i);
            removed = true;
        }
    if (removed) PopulateMenu();
}

bool TMRUFileList::DoRemoveObsolete(const QString& item) {
    if (OnRemoveObsolete) {
        bool remove = false;
        OnRemoveObsolete(this, item, remove);
        return remove;
    }
    return !QFileInfo(item).isFile();
}

void TMRUFileList::ItemClick(int itemNumber) {
    if (itemNumber < 1 || itemNumber > FItems.size()) return;
    const QString fileName = OnMRUItemClick ? FItems[itemNumber - 1] : QString();
    if (FRemoveOnClick) {
        FItems.removeAt(itemNumber - 1);
        PopulateMenu();
    }
    DoMRUItemClick(fileName);
}

void TMRUFileList::DoMRUItemClick(const QString& fileName) {
    if (OnMRUItemClick) OnMRUItemClick(this, fileName);
}

void TMRUFileList::DoCreateMRUItem(TMRUMenuItem* item) {
    if (OnCreateMRUItem) OnCreateMRUItem(this, item);
}

void TMRUFileList::DoDestroyMRUItem(TMRUMenuItem* item) {
    if (OnDestroyMRUItem) OnDestroyMRUItem(this, item);
}

QString TMRUFileList::DoGetDisplayName(const QString& fileName, const QString& fullCaption) {
    QString displayName = fullCaption;
    if (OnGetDisplayName) OnGetDisplayName(this, fileName, displayName);
    return displayName;
}

// --- the menu ----------------------------------------------------------------------------

QString TMRUFileList::AcceleratorPrefix(int index) {
    if (index < 0 || index >= 36) return {};
    return QString("&") + QChar(kAccelerators[index]) + ' ';
}

QString TMRUFileList::StripFirstFolder(const QString& folder) {
    if (folder == "/") return {};
    QString s = folder;
    const bool leading = s.startsWith('/');
    if (leading) s.remove(0, 1);
    // Only a real ".../" goes: folder names here often begin with a dot.
    if (s.startsWith(".../")) s.remove(0, 4);
    const int slash = s.indexOf('/');
    s = slash >= 0 ? ".../" + s.mid(slash + 1) : QString();
    return leading ? '/' + s : s;
}

QString TMRUFileList::ShortenPath(const QString& fileName, int maxWidth, const QFontMetrics& metrics) {
    const int slash = fileName.lastIndexOf('/');
    QString folder = fileName.left(slash + 1);
    const QString name = fileName.mid(slash + 1);
    QString result = fileName;
    while (!folder.isEmpty() && metrics.horizontalAdvance(result) > maxWidth) {
        folder = folder == "/.../" ? QString(".../") : StripFirstFolder(folder);
        result = folder + name;
    }
    return result;
}

QString TMRUFileList::CaptionFor(int index, const QString& fileName) {
    const QString fullCaption = AcceleratorPrefix(index) + fileName;
    switch (FMRUDisplay) {
    case mdFullPath:
        if (FMaxCaptionWidth == 0) return fullCaption;
        return AcceleratorPrefix(index) +
               ShortenPath(fileName, FMaxCaptionWidth, QFontMetrics(QApplication::font("QMenu")));
    case mdFileNameExt: return FileNamePart(fullCaption);
    case mdFileNameOnly: {
        const QString part = FileNamePart(fullCaption);
        const int dot = part.lastIndexOf('.');
        return dot < 0 ? part : part.left(dot);
    }
    case mdCustom: return DoGetDisplayName(fileName, fullCaption);
    }
    return fullCaption;
}

TMRUFileList::Target TMRUFileList::FileMenuTarget() const {
    if (!FFileMenu) return {};
    if (QMenu* sub = FFileMenu->menu(); sub && !sub->actions().isEmpty()) return {sub, nullptr};
    return {MenuOf(FFileMenu), FFileMenu};
}

TMRUMenuItem* TMRUFileList::NewItem(QMenu* menu, QAction* before, const QString& caption) {
    auto* item = new TMRUMenuItem(this, menu);
    // A separator carries no text: some styles would draw it.
    if (caption == "-") item->setSeparator(true);
    else item->setText(caption);
    DoCreateMRUItem(item);
    menu->insertAction(before, item);
    return item;
}

void TMRUFileList::RemoveMenuItems() {
    FMenuItems.removeAll(nullptr);
    auto removeFrom = [this](QMenu* menu) {
        if (!menu) return;
        const QList<QAction*> entries = menu->actions();
        for (qsizetype i = entries.size() - 1; i >= 0; --i)
            if (auto* item = qobject_cast<TMRUMenuItem*>(entries[i]); item && item->MRUList == this) delete item;
    };
    removeFrom(FileMenuTarget().menu);
    removeFrom(FPopupMenu);
}

void TMRUFileList::PopulateMenu() {
    if (!FFileMenu && !FPopupMenu) return;
    RemoveMenuItems();
    if (FItems.isEmpty()) return;

    auto addFiles = [this](QMenu* menu, QAction* before) {
        for (int k = 0; k < FItems.size(); ++k) {
            auto* item = new TMRUMenuItem(this, menu);
            item->FullCaption = AcceleratorPrefix(k) + FItems[k];
            item->setText(CaptionFor(k, FItems[k]));
            item->ItemNumber = k + 1;
            // Run after the menu has finished with the entry: the click rebuilds the menu.
            connect(item, &QAction::triggered, this, [this, k] { ItemClick(k + 1); }, Qt::QueuedConnection);
            DoCreateMRUItem(item);
            menu->insertAction(before, item);
        }
    };

    if (const Target target = FileMenuTarget(); target.menu) {
        QMenu* menu = target.menu;
        QAction* before = target.before;
        if (FInsertSeparator) NewItem(menu, before, "-");
        if (FUseSubmenu) {
            TMRUMenuItem* entry = NewItem(menu, before, FSubmenuName);
            entry->Submenu = new QMenu(FSubmenuName, menu);
            entry->setMenu(entry->Submenu);
            menu = entry->Submenu;
            before = nullptr;
        }
        addFiles(menu, before);
        auto command = [&](const QString& caption, void (TMRUFileList::*handler)()) {
            auto* item = new TMRUMenuItem(this, menu);
            if (caption == "-") item->setSeparator(true);
            else item->setText(caption);
            if (handler) connect(item, &QAction::triggered, this, [this, handler] { (this->*handler)(); }, Qt::QueuedConnection);
            DoCreateMRUItem(item);
            menu->insertAction(before, item);
        };
        if (FShowClearItem || FShowRemoveObsolete) command("-", nullptr);
        if (FShowClearItem)
            command(FClearItemName.isEmpty() ? "&Clear MRU List" : FClearItemName, &TMRUFileList::ClearItems);
        if (FShowRemoveObsolete)
            command(FRemoveObsoleteName.isEmpty() ? "&Remove Obsolete" : FRemoveObsoleteName,
                    &TMRUFileList::RemoveObsoleteItems);
    }
    if (FPopupMenu) addFiles(FPopupMenu, FPopupMenu->actions().value(0, nullptr));
}

// --- storage -----------------------------------------------------------------------------

QString TMRUFileList::RegistryKeyPath() const {
    return FAutoSaveName.startsWith('\\') ? FAutoSaveName : '\\' + FAutoSaveName;
}

QString TMRUFileList::IniFileName() const {
    const QFileInfo info(FAutoSaveName);
    if (info.isAbsolute()) return FAutoSaveName;
    return QFileInfo(Platform::RegistryFileName()).absolutePath() + '/' + FAutoSaveName;
}

bool TMRUFileList::LoadFromStorage() {
    ClearItems();
    if (FAutoSaveName.isEmpty() || FAutoSaveKey.isEmpty()) return false;
    QStringList lines;
    if (FUseRegistry) {
        Platform::Registry registry(RegRootOf(FAutoSaveRootKey));
        registry.OpenKey(RegistryKeyPath(), true);
        if (registry.OpenKey(FAutoSaveKey, false))
            for (const QString& name : registry.GetValueNames()) {
                if (registry.GetDataType(name) != Platform::RegDataType::String) continue;
                const QString value = registry.ReadString(name);
                if (!value.isEmpty()) lines << name + '=' + value;
                if (FAddToTop && lines.size() >= FMaximum) break; // the rest would be cut anyway
            }
    } else {
        lines = Platform::TIniFile(IniFileName()).ReadSectionValues(FAutoSaveKey);
    }
    for (const QString& line : lines) {
        const QString name = line.mid(line.indexOf('=') + 1);
        if (!name.isEmpty()) FItems << name; // an empty entry names no file
    }
    TrimTo(FMaximum); // a longer list (edited by hand) is cut as AddItem would
    PopulateMenu();
    return true;
}

bool TMRUFileList::SaveToStorage() {
    if (FAutoSaveName.isEmpty() || FAutoSaveKey.isEmpty()) return false;
    if (FUseRegistry) {
        Platform::Registry registry(RegRootOf(FAutoSaveRootKey));
        registry.OpenKey(RegistryKeyPath(), true);
        registry.DeleteKey(FAutoSaveKey);
        registry.OpenKey(FAutoSaveKey, true);
        for (int i = 0; i < FItems.size(); ++i) registry.WriteString(QString("F%1").arg(i), FItems[i]);
    } else {
        Platform::TIniFile ini(IniFileName());
        ini.EraseSection(FAutoSaveKey);
        for (int i = 0; i < FItems.size(); ++i) ini.WriteString(FAutoSaveKey, QString("F%1").arg(i), FItems[i]);
        ini.UpdateFile();
    }
    return true;
}

} // namespace Dialogs
