// TMRUFileList: a short list of recently used files, shown as numbered entries in a
// menu (optionally in a submenu with "clear" and "remove obsolete" entries), kept in
// the registry or an INI file between runs.
#pragma once
#include <QAction>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>

class QFontMetrics;
#include <QMenu>

namespace Dialogs {

enum TMRUDisplay { mdFullPath, mdFileNameExt, mdFileNameOnly, mdCustom };
enum TRootKey { rkClassesRoot, rkCurrentUser, rkLocalMachine, rkUsers, rkCurrentConfig, rkDynData };

class TMRUFileList;

// Every menu entry a list makes: file entries, separators, the submenu entry and the
// two command entries. ItemNumber is the 1-based position in the list, 0 for entries
// that are not files.
class TMRUMenuItem : public QAction {
    Q_OBJECT
public:
    TMRUMenuItem(TMRUFileList* list, QObject* parent);
    ~TMRUMenuItem() override;

    QString FullCaption;
    TMRUFileList* MRUList = nullptr;
    int ItemNumber = 0;
    // The submenu this entry opens, destroyed with the entry.
    QPointer<QMenu> Submenu;
};

using TMRUClick = std::function<void(QObject* sender, const QString& fileName)>;
using TMRURemoveObsolete = std::function<void(QObject* sender, const QString& item, bool& remove)>;
using TMRUGetDisplayName = std::function<void(QObject* sender, const QString& fileName, QString& displayName)>;
using TMRUOnCreateDestroyMRUItem = std::function<void(QObject* sender, TMRUMenuItem* item)>;

class TMRUFileList : public QObject {
    Q_OBJECT
public:
    explicit TMRUFileList(QObject* owner = nullptr);
    // Saves when AutoSave is set, then removes its menu entries. A storage error
    // cannot leave a destructor; owners that want to report it save first.
    ~TMRUFileList() override;

    // The owner has set the properties: from now on setters act, and the list loads
    // when AutoSave is set.
    void Loaded();

    // --- properties ---------------------------------------------------------------
    bool AddToTop() const { return FAddToTop; }
    void SetAddToTop(bool value) { FAddToTop = value; }
    int Maximum() const { return FMaximum; }
    void SetMaximum(int value);
    bool RemoveOnClick() const { return FRemoveOnClick; }
    void SetRemoveOnClick(bool value) { FRemoveOnClick = value; }
    bool UseSubmenu() const { return FUseSubmenu; }
    void SetUseSubmenu(bool value);
    bool InsertSeparator() const { return FInsertSeparator; }
    void SetInsertSeparator(bool value);
    QString SubmenuName() const { return FSubmenuName; }
    void SetSubmenuName(const QString& value);
    QString ClearItemName() const { return FClearItemName; }
    void SetClearItemName(const QString& value);
    bool ShowClearItem() const { return FShowClearItem; }
    void SetShowClearItem(bool value);
    QString RemoveObsoleteName() const { return FRemoveObsoleteName; }
    void SetRemoveObsoleteName(const QString& value);
    bool ShowRemoveObsolete() const { return FShowRemoveObsolete; }
    void SetShowRemoveObsolete(bool value);
    // The menu entry the list hangs at: its submenu when it has one, else its parent
    // menu just before it.
    QAction* FileMenu() const { return FFileMenu; }
    void SetFileMenu(QAction* value);
    QMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(QMenu* value);
    int MaxCaptionWidth() const { return FMaxCaptionWidth; }
    void SetMaxCaptionWidth(int value);
    TMRUDisplay MRUDisplay() const { return FMRUDisplay; }
    void SetMRUDisplay(TMRUDisplay value);
    bool AutoSave() const { return FAutoSave; }
    void SetAutoSave(bool value) { FAutoSave = value; }
    bool UseRegistry() const { return FUseRegistry; }
    void SetUseRegistry(bool value) { FUseRegistry = value; }
    TRootKey AutoSaveRootKey() const { return FAutoSaveRootKey; }
    void SetAutoSaveRootKey(TRootKey value);
    QString AutoSaveName() const { return FAutoSaveName; }
    void SetAutoSaveName(const QString& value);
    QString AutoSaveKey() const { return FAutoSaveKey; }
    void SetAutoSaveKey(const QString& value);

    TMRUClick OnMRUItemClick;
    TMRURemoveObsolete OnRemoveObsolete;
    TMRUGetDisplayName OnGetDisplayName;
    TMRUOnCreateDestroyMRUItem OnCreateMRUItem;
    TMRUOnCreateDestroyMRUItem OnDestroyMRUItem;

    // The full file names, most recent first with AddToTop.
    const QStringList& Items() const { return FItems; }

    void AddItem(const QString& fileName);
    virtual void PopulateMenu();
    void RemoveMenuItems();
    virtual void ClearItems();
    virtual void RemoveObsoleteItems();
    bool LoadFromStorage();
    bool SaveToStorage();
    // The entry with this 1-based number was chosen.
    void ItemClick(int itemNumber);

    // "&1 " … "&0 ", "&A " … "&Z ", then nothing.
    static QString AcceleratorPrefix(int index);
    // Drops folders from the left until the name fits; the file name is never cut.
    static QString ShortenPath(const QString& fileName, int maxWidth, const QFontMetrics& metrics);
    static QString StripFirstFolder(const QString& folder);
    // The file the INI mode uses: AutoSaveName, relative names under the
    // configuration folder.
    QString IniFileName() const;

protected:
    virtual QString DoGetDisplayName(const QString& fileName, const QString& fullCaption);
    virtual bool DoRemoveObsolete(const QString& item);
    virtual void DoMRUItemClick(const QString& fileName);
    virtual void DoCreateMRUItem(TMRUMenuItem* item);
    virtual void DoDestroyMRUItem(TMRUMenuItem* item);

private:
    friend class TMRUMenuItem;
    struct Target {
        QMenu* menu = nullptr;
        QAction* before = nullptr; // insert before this entry; none = append
    };
    Target FileMenuTarget() const;
    QString CaptionFor(int index, const QString& fileName);
    TMRUMenuItem* NewItem(QMenu* menu, QAction* before, const QString& caption);
    void TrimTo(int count);
    void ReloadIfAutoSave();
    QString RegistryKeyPath() const;

    QStringList FItems;
    bool FAddToTop = true;
    int FMaximum = 5;
    bool FRemoveOnClick = true;
    bool FUseSubmenu = false;
    bool FInsertSeparator = true;
    QString FSubmenuName = "Reopen";
    QString FClearItemName = "&Clear MRU List";
    bool FShowClearItem = true;
    QString FRemoveObsoleteName = "&Remove Obsolete";
    bool FShowRemoveObsolete = true;
    QPointer<QAction> FFileMenu;
    QPointer<QMenu> FPopupMenu;
    int FMaxCaptionWidth = 200;
    TMRUDisplay FMRUDisplay = mdFullPath;
    bool FAutoSave = true;
    bool FUseRegistry = true;
    TRootKey FAutoSaveRootKey = rkCurrentUser;
    QString FAutoSaveName = "\\Software\\My Application";
    QString FAutoSaveKey = "MRU Items";
    bool FLoading = true;
    QList<QPointer<TMRUMenuItem>> FMenuItems; // every entry made, to let go of those left behind
};

} // namespace Dialogs
