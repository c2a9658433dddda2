// The Browse Files window: its layout and commands, showing and closing, the drive box, the
// folder tree and the listing of a folder's files.

#include "browser/Unit3.h"

#include "app/BusyCursor.h"
#include "app/ScreenFit.h"
#include "app/Scrlmemo.h"
#include "app/Strset.h"
#include "app/TextCompare.h"
#include "app/Unit1.h"
#include "browser/BrowserLogic.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "tools/Favourites.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

TForm3* Form3 = nullptr;

namespace
{

using Handler = void (TForm3::*)();

// The window stands over the middle of the main window, offset by these.
constexpr QPoint PlaceOffset(359, 150);
constexpr QSize WindowSize(660, 500);
constexpr int LeftPaneWidth = 201;
constexpr int TreeRegionHeight = 149;
constexpr int SizePanelWidth = 110;
constexpr int DatePanelWidth = 140;
constexpr int ToolButtonWidth = 25;
constexpr qint64 IconSlice = 10; // milliseconds
constexpr int ItemKindRole = Qt::UserRole + 1;
constexpr int ItemPathRole = Qt::UserRole + 2;

enum DriveKind { VolumeEntry, FavouriteEntry };

enum Flags : unsigned {
    NoFlags = 0,
    StartsOff = 1u << 0,
    Checkable = 1u << 1,
    Hidden = 1u << 2,
};

struct MenuRow {
    const char* menu; // object name of the menu that holds the row
    const char* name; // "" for a separator
    const char* caption;
    const char* shortcut;
    Handler handler;
    unsigned flags;
};

constexpr MenuRow item(const char* menu, const char* name, const char* caption, Handler handler,
                       const char* shortcut = "", unsigned flags = NoFlags)
{
    return {menu, name, caption, shortcut, handler, flags};
}

constexpr MenuRow separator(const char* menu)
{
    return {menu, "", "", "", nullptr, NoFlags};
}

// The menus and the two context menus, in the order shown.
const MenuRow MenuRows[] = {
    item("File1", "Openfile1", "&Open", &TForm3::Openfile1Click),
    item("File1", "Save1", "&Save", &TForm3::Save1Click),
    item("File1", "Insertfile1", "&Insert File", &TForm3::Insertfile1Click),
    item("File1", "Pastepath2", "P&aste path", &TForm3::Pastepath1Click),
    separator("File1"),
    item("File1", "Copyto1", "Copy &to...", &TForm3::Copyto1Click),
    item("File1", "Delete2", "&Delete", &TForm3::Delete2Click),
    item("File1", "Rename2", "&Rename", &TForm3::Rename1Click),
    separator("File1"),
    item("File1", "Properties2", "&Properties", &TForm3::Properties1Click),
    separator("File1"),
    item("File1", "Close1", "&Close", nullptr),

    item("Edit1", "Undo1", "Undo", &TForm3::Undo1Click, "Ctrl+Z"),
    separator("Edit1"),
    item("Edit1", "Cut1", "Cu&t", &TForm3::Cut1Click, "Ctrl+X", StartsOff),
    item("Edit1", "Copy1", "&Copy", &TForm3::Copy1Click, "Ctrl+C", StartsOff),
    item("Edit1", "Paste1", "&Paste", &TForm3::Paste1Click, "Ctrl+V"),
    item("Edit1", "Delete1", "Delete", &TForm3::Delete1Click, "Del", StartsOff),
    item("Edit1", "SelectAll1", "Select &All", &TForm3::SelectAll1Click),
    separator("Edit1"),
    item("Edit1", "Highlight1", "&Highlight", &TForm3::Highlight1Click, "Ctrl+H", StartsOff),
    item("Edit1", "ClearHighlight1", "Cl&ear Highlight", &TForm3::ClearHighlight1Click),
    separator("Edit1"),
    item("Edit1", "WordWrap1", "&Word Wrap", &TForm3::WordWrap1Click, "", Checkable),

    item("Search1", "FindandHighlight1", "Find and &Highlight...", &TForm3::FindandHighlight1Click,
         "", Checkable),
    item("Search1", "FindinFiles1", "Find in Fil&es...", &TForm3::FindinFiles1Click),

    item("Options1", "Filter1", "Filter...", &TForm3::Filter1Click),

    item("PopupMenu1", "Open1", "Open", &TForm3::Openfile1Click),
    item("PopupMenu1", "Pastepath1", "Paste path", &TForm3::Pastepath1Click),
    separator("PopupMenu1"),
    item("PopupMenu1", "Copyto2", "Copy &to...", &TForm3::Copyto1Click),
    item("PopupMenu1", "Delete3", "&Delete", &TForm3::Delete2Click),
    item("PopupMenu1", "Rename1", "&Rename", &TForm3::Rename1Click),
    separator("PopupMenu1"),
    item("PopupMenu1", "Properties1", "Properties", &TForm3::Properties1Click),
    separator("PopupMenu1"),
    item("PopupMenu1", "Refresh1", "Refresh", &TForm3::Refresh1Click),

    item("PopupMenu2", "Undo2", "Undo", &TForm3::Undo1Click),
    separator("PopupMenu2"),
    item("PopupMenu2", "Cut2", "Cut", &TForm3::Cut1Click),
    item("PopupMenu2", "Copy2", "Copy", &TForm3::Copy1Click),
    item("PopupMenu2", "Paste2", "Paste", &TForm3::Paste1Click),
    item("PopupMenu2", "Delete4", "Delete", &TForm3::Delete1Click),
    item("PopupMenu2", "SelectAll2", "Select All", &TForm3::SelectAll1Click),
    separator("PopupMenu2"),
    item("PopupMenu2", "Highlight2", "Highlight", &TForm3::Highlight1Click),
};

struct MenuBarRow {
    const char* name;
    const char* caption;
};

const MenuBarRow MenuBarRows[] = {
    {"File1", "&File"}, {"Edit1", "&Edit"}, {"Search1", "&Search"}, {"Options1", "&Options"}};

// A toolbar button runs its handler, or clicks the menu item named by clicks.
struct ButtonRow {
    const char* name; // "" for a separator
    const char* hint;
    const char* image; // the main window's toolbar button with the same image
    Handler handler;
    const char* clicks;
    unsigned flags;
};

constexpr ButtonRow button(const char* name, const char* hint, const char* image, Handler handler,
                           unsigned flags = NoFlags)
{
    return {name, hint, image, handler, "", flags};
}

constexpr ButtonRow clicking(const char* name, const char* hint, const char* image,
                             const char* clicks)
{
    return {name, hint, image, nullptr, clicks, NoFlags};
}

constexpr ButtonRow toolSeparator()
{
    return {"", "", "", nullptr, "", NoFlags};
}

const ButtonRow ButtonRows[] = {
    button("ToolButton8", "Save", "SaveButton", &TForm3::Save1Click, StartsOff),
    button("ToolButton2", "Open", "OpenButton", &TForm3::Open1Click, StartsOff),
    button("ToolButton9", "Print", "PrintButton", &TForm3::ToolButton9Click),
    button("ToolButton12", "Properties", "PropertiesButton", &TForm3::Properties1Click, Hidden),
    toolSeparator(),
    button("ToolButton4", "Cut", "CutButton", &TForm3::Cut1Click, StartsOff),
    button("ToolButton5", "Copy", "CopyButton", &TForm3::Copy1Click, StartsOff),
    button("ToolButton6", "Paste", "PasteButton", &TForm3::Paste1Click),
    button("ToolButton7", "Delete", "DeleteButton", &TForm3::Delete1Click, StartsOff),
    button("ToolButton10", "Select All", "SelectAButton", &TForm3::SelectAll1Click),
    clicking("ToolButton16", "Word Wrap", "wrapbutton", "WordWrap1"),
    toolSeparator(),
    clicking("ToolButton13", "Find and Highlight", "HighlightButton", "FindandHighlight1"),
    clicking("ToolButton14", "Find in Files", "FindButton", "FindinFiles1"),
    toolSeparator(),
    button("ToolButton1", "Refresh", "ReloadButton", &TForm3::ToolButton1Click),
};

// File-list entries sort by name, a-z and A-Z alike; names equal but for case keep one order.
class FileEntry final : public QListWidgetItem
{
public:
    using QListWidgetItem::QListWidgetItem;

    bool operator<(const QListWidgetItem& other) const override
    {
        const QString mine = text();
        const QString theirs = other.text();
        const int folded = CompareIgnoringAsciiCase(mine, theirs);
        return folded != 0 ? folded < 0 : mine < theirs;
    }
};

// The name editor of a rename keeps Enter to itself: the list would take it for "open the
// file" while the new name is not given yet.
class NameEditorDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    bool eventFilter(QObject* editor, QEvent* event) override
    {
        const bool handled = QStyledItemDelegate::eventFilter(editor, event);
        if (event->type() != QEvent::KeyPress)
            return handled;
        const int key = static_cast<QKeyEvent*>(event)->key();
        return handled || key == Qt::Key_Return || key == Qt::Key_Enter;
    }
};

} // namespace

TForm3::TForm3(TForm1& mainWindow, Platform& platform)
    : QMainWindow(&mainWindow, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                   Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                                   Qt::WindowCloseButtonHint),
      m_main(mainWindow), m_platform(platform)
{
    Form3 = this;
    setObjectName("Form3");
    setWindowTitle(tr("Browse files"));
    createActions();
    createMenus();
    createToolBar();
    createPanes();
    createStatusBar();
    connectControls();
    resize(WindowSize);
    FormCreate();
}

TForm3::~TForm3()
{
    if (Form3 == this)
        Form3 = nullptr;
}

QAction* TForm3::action(const char* objectName) const
{
    QAction* found = findChild<QAction*>(QString::fromLatin1(objectName));
    Q_ASSERT_X(found, "TForm3::action", objectName);
    return found;
}

void TForm3::setEnabledAll(std::initializer_list<const char*> names, bool enabled)
{
    for (const char* name : names)
        action(name)->setEnabled(enabled);
}

// One action per menu row; the menus are filled by createMenus.
void TForm3::createActions()
{
    for (const MenuRow& row : MenuRows) {
        if (!*row.name)
            continue;
        auto* command = new QAction(QString::fromLatin1(row.caption), this);
        command->setObjectName(QString::fromLatin1(row.name));
        command->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut)));
        command->setCheckable(row.flags & Checkable);
        command->setEnabled(!(row.flags & StartsOff));
        const Handler handler = row.handler;
        if (handler)
            connect(command, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        else
            connect(command, &QAction::triggered, this, &QWidget::close);
    }
}

void TForm3::createMenus()
{
    QHash<QString, QMenu*> menus;
    for (const MenuBarRow& row : MenuBarRows) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(row.caption));
        menu->setObjectName(QString::fromLatin1(row.name));
        menu->menuAction()->setObjectName(QString::fromLatin1(row.name));
        menus.insert(menu->objectName(), menu);
    }
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName("PopupMenu2");
    menus.insert("PopupMenu1", PopupMenu1);
    menus.insert("PopupMenu2", PopupMenu2);

    for (const MenuRow& row : MenuRows) {
        QMenu* menu = menus.value(QString::fromLatin1(row.menu));
        if (*row.name)
            menu->addAction(action(row.name));
        else
            menu->addSeparator();
    }
    // The context menus hold their own items: they are enabled by their own rules.
    connect(menus.value("File1"), &QMenu::aboutToShow, this, &TForm3::File1Click);
}

void TForm3::createToolBar()
{
    auto* toolBar = addToolBar(QString());
    toolBar->setObjectName("ToolBar1");
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->toggleViewAction()->setVisible(false);
    for (const ButtonRow& row : ButtonRows) {
        if (!*row.name) {
            toolBar->addSeparator();
            continue;
        }
        const QAction* image = m_main.findChild<QAction*>(QString::fromLatin1(row.image));
        auto* command =
            new QAction(image ? image->icon() : QIcon(), QString::fromLatin1(row.hint), toolBar);
        command->setObjectName(QString::fromLatin1(row.name));
        command->setToolTip(command->text());
        command->setEnabled(!(row.flags & StartsOff));
        toolBar->addAction(command);
        QWidget* shown = toolBar->widgetForAction(command);
        shown->setObjectName(command->objectName());
        shown->setMinimumWidth(ToolButtonWidth);
        command->setVisible(!(row.flags & Hidden));
        if (row.handler) {
            const Handler handler = row.handler;
            connect(command, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        } else {
            const char* clicks = row.clicks;
            connect(command, &QAction::triggered, this,
                    [this, clicks] { action(clicks)->trigger(); });
        }
    }
}

void TForm3::createPanes()
{
    Panel1 = new QWidget;
    Panel1->setObjectName("Panel1");
    drivelist = new QComboBox(Panel1);
    drivelist->setObjectName("drivelist");

    FolderModel = new QFileSystemModel(this);
    FolderModel->setObjectName("FolderModel");
    FolderModel->setFilter(QDir::AllDirs | QDir::Hidden | QDir::NoDotAndDotDot);
    ShellTreeView1 = new QTreeView;
    ShellTreeView1->setObjectName("ShellTreeView1");
    ShellTreeView1->setModel(FolderModel);
    ShellTreeView1->setHeaderHidden(true);
    for (int column = 1; column < FolderModel->columnCount(); ++column)
        ShellTreeView1->hideColumn(column);

    ListView1 = new QListWidget;
    ListView1->setObjectName("ListView1");
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setUniformItemSizes(true);
    ListView1->setEditTriggers(QAbstractItemView::EditKeyPressed);
    ListView1->setItemDelegate(new NameEditorDelegate(ListView1));
    m_iconTimer = new QTimer(this);
    m_iconTimer->setSingleShot(true);
    connect(m_iconTimer, &QTimer::timeout, this, &TForm3::fillIcons);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* treeAndFiles = new QSplitter(Qt::Vertical);
    treeAndFiles->setObjectName("Splitter2");
    treeAndFiles->addWidget(ShellTreeView1);
    treeAndFiles->addWidget(ListView1);
    treeAndFiles->setChildrenCollapsible(false);
    auto* pane = new QVBoxLayout(Panel1);
    pane->setContentsMargins(0, 0, 0, 0);
    pane->setSpacing(0);
    pane->addWidget(drivelist);
    pane->addWidget(treeAndFiles);
    const int treeHeight = TreeRegionHeight - drivelist->sizeHint().height();
    treeAndFiles->setSizes({treeHeight, WindowSize.height()});

    ScrollMemo1 = new TScrollMemo;
    ScrollMemo1->setObjectName("ScrollMemo1");
    ScrollMemo1->SetScrollBars(ScrollBarsMode::Both);
    ScrollMemo1->SetHideScrollBars(false);
    ScrollMemo1->SetWordWrap(false);
    ScrollMemo1->SetHideSelection(false);
    ScrollMemo1->setEnabled(false);
    ScrollMemo1->setContextMenuPolicy(Qt::CustomContextMenu);
    // Undo and Highlight are the window's commands; the control's own keys do the rest.
    ScrollMemo1->SetCommandKeys({action("Undo1")->shortcut(), action("Highlight1")->shortcut()});

    auto* panes = new QSplitter(Qt::Horizontal);
    panes->setObjectName("Splitter1");
    panes->addWidget(Panel1);
    panes->addWidget(ScrollMemo1);
    panes->setStretchFactor(1, 1);
    panes->setSizes({LeftPaneWidth, WindowSize.width() - LeftPaneWidth});
    setCentralWidget(panes);
}

void TForm3::createStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar1");
    bar->setSizeGripEnabled(true);
    // Size and date grow where the font needs more room than their widths; the path takes
    // the rest.
    for (int width : {SizePanelWidth, DatePanelWidth, 0}) {
        auto* panel = new QLabel;
        panel->setMinimumWidth(width);
        panel->setTextFormat(Qt::PlainText);
        bar->addWidget(panel, width == 0 ? 1 : 0);
        m_panels << panel;
    }
}

void TForm3::connectControls()
{
    connect(drivelist, &QComboBox::activated, this, &TForm3::drivelistChange);
    connect(ShellTreeView1, &QTreeView::clicked, this, [this](const QModelIndex& index) {
        ShellTreeView1Click(FolderModel->filePath(index));
    });
    ShellTreeView1->installEventFilter(this);
    ListView1->installEventFilter(this);
    ListView1->viewport()->installEventFilter(this);
    connect(ListView1, &QListWidget::itemDoubleClicked, this, &TForm3::ListView1DblClick);
    connect(ListView1, &QListWidget::itemChanged, this, &TForm3::ListView1Edited);
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        PopupMenu1Popup();
        PopupMenu1->popup(ListView1->viewport()->mapToGlobal(pos));
    });
    connect(ScrollMemo1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        PopupMenu2Popup();
        PopupMenu2->popup(ScrollMemo1->viewport()->mapToGlobal(pos));
    });
    connect(ScrollMemo1, &TScrollMemo::OnSelectionChange, this,
            &TForm3::ScrollMemo1SelectionChange);
}

// The preview's font is the documents' font of this moment; the window is placed once.
void TForm3::FormCreate()
{
    ScrollMemo1->SetEditorFont(m_main.DocumentFont.font, m_main.DocumentFont.color);
    PlaceOverMiddle(this, m_main, PlaceOffset);
}

QString TForm3::PanelText(int panel) const
{
    return m_panels.value(panel) ? m_panels.value(panel)->text() : QString();
}

void TForm3::setPanelText(int panel, const QString& text)
{
    m_panels.at(panel)->setText(text);
}

// Every showing starts at the home folder; the preview keeps its text from the last one.
void TForm3::FormShow()
{
    CurrentFolder = WithTrailingSlash(QDir::homePath());
    SetTreeRoot(QDir::homePath());
    FillDriveList();
    drivelist->setCurrentIndex(1);
    ListFolderFiles();
    m_main.ShowCaretPositionOf(*ScrollMemo1);
    ScrollMemo1->SetModifiedFlag(false);
    ListView1->setFocus();
}

// A search holds the window open; unsaved preview edits are offered for saving, and a save
// that fails keeps the window open with them.
void TForm3::closeEvent(QCloseEvent* event)
{
    // While disabled the find dialog is open: it is closed first.
    if (m_searching || !isEnabled() || (ScrollMemo1->ModifiedFlag() && !askToSavePreview())) {
        event->ignore();
        return;
    }
    event->accept();
    hide();
    m_main.activateWindow();
}

bool TForm3::eventFilter(QObject* watched, QEvent* event)
{
    const auto* key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease
                          ? static_cast<QKeyEvent*>(event)
                          : nullptr;
    const bool upOrDown = key && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down);
    const bool enter = key && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter);
    if (watched == ListView1) {
        if (upOrDown && event->type() == QEvent::KeyRelease && ListView1->currentItem())
            ListView1Click();
        // The name editor of a rename has the keys to itself.
        if (enter && event->type() == QEvent::KeyPress) {
            if (!ListView1->selectedItems().isEmpty())
                ListView1DblClick();
            return true;
        }
    } else if (watched == ListView1->viewport()) {
        // After the list has taken the click: it changes the selection on the release.
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            QMetaObject::invokeMethod(this, &TForm3::ListView1Click, Qt::QueuedConnection);
    } else if (watched == ShellTreeView1) {
        if ((upOrDown && event->type() == QEvent::KeyRelease) ||
            (enter && event->type() == QEvent::KeyPress)) {
            const QModelIndex current = ShellTreeView1->currentIndex();
            if (current.isValid())
                ShellTreeView1Click(FolderModel->filePath(current));
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Drives and folders ----------------------------------------------------------------------

// The volumes, then the favourites that are existing folders, captioned with their
// descriptions.
void TForm3::FillDriveList()
{
    drivelist->clear();
    const QList<Volume> volumes = m_platform.shell.volumes();
    for (const Volume& volume : volumes) {
        drivelist->addItem(iconForFolder(volume.rootPath != QDir::homePath()),
                           DriveCaption(volume));
        drivelist->setItemData(drivelist->count() - 1, VolumeEntry, ItemKindRole);
        drivelist->setItemData(drivelist->count() - 1, volume.rootPath, ItemPathRole);
    }
    if (!LoadFavourites(*m_main.tmpset))
        return;
    for (const QString& line : m_main.tmpset->Strings()) {
        const Favourite favourite = SplitFavourite(line);
        if (!QFileInfo(favourite.path).isDir())
            continue;
        drivelist->addItem(iconForFolder(false), favourite.description);
        drivelist->setItemData(drivelist->count() - 1, FavouriteEntry, ItemKindRole);
    }
}

// A favourite is found again by its description; a caption holding ":)" names a drive in
// parentheses, as the volumes' captions do.
void TForm3::drivelistChange(int index)
{
    if (index < 0)
        return;
    LoadFavourites(*m_main.tmpset);
    const QString caption = drivelist->itemText(index);
    const bool volume = drivelist->itemData(index, ItemKindRole).toInt() == VolumeEntry;
    if (!volume && !caption.contains(QLatin1String(":)")) &&
        m_main.tmpset->Strings().join(QStringLiteral("\r\n")).contains(caption)) {
        for (const QString& line : m_main.tmpset->Strings()) {
            const Favourite favourite = SplitFavourite(line);
            if (favourite.description == caption) {
                CurrentFolder = WithTrailingSlash(favourite.path);
                SetTreeRoot(favourite.path);
                ListFolderFiles();
                break;
            }
        }
        return;
    }
    const QString root =
        volume ? drivelist->itemData(index, ItemPathRole).toString() : DriveOfCaption(caption);
    if (!QDir::isAbsolutePath(root))
        return;
    SetTreeRoot(WithTrailingSlash(root));
    CurrentFolder = WithTrailingSlash(root);
    ListFolderFiles();
}

void TForm3::SetTreeRoot(const QString& folder)
{
    ShellTreeView1->setRootIndex(FolderModel->setRootPath(folder));
}

void TForm3::ShellTreeView1Click(const QString& folder)
{
    if (folder.isEmpty())
        return;
    CurrentFolder = WithTrailingSlash(folder);
    ListFolderFiles();
}

// ---- Listing ---------------------------------------------------------------------------------

// Without its icon, which comes from the desktop: see fillIcons.
QListWidgetItem* TForm3::addFileEntry(const QString& name)
{
    auto* entry = new FileEntry(name);
    entry->setFlags(entry->flags() | Qt::ItemIsEditable);
    entry->setData(FileNameRole, name);
    ListView1->addItem(entry);
    return entry;
}

// Every file of the current folder, hidden ones too, except the excluded types; sorted once
// at the end. The icons follow in slices between the user's input: the desktop takes long
// over those of many types not seen before.
void TForm3::ListFolderFiles()
{
    ListView1->setUpdatesEnabled(false);
    ListView1->setSortingEnabled(false);
    ListView1->clear();
    {
        const QSignalBlocker quiet(ListView1);
        QDirIterator files(CurrentFolder, QDir::Files | QDir::Hidden | QDir::System);
        while (files.hasNext()) {
            const QString name = files.nextFileInfo().fileName();
            if (IsListedFile(name, m_main.BrowsFilt))
                addFileEntry(name);
        }
    }
    ListView1->setSortingEnabled(true);
    ListView1->sortItems();
    ListView1->setUpdatesEnabled(true);
    m_iconRow = 0;
    fillIcons();
}

// Gives the entries from m_iconRow on their icons for a few milliseconds, then lets the user
// in before the next slice.
void TForm3::fillIcons()
{
    QElapsedTimer slice;
    slice.start();
    const QSignalBlocker quiet(ListView1);
    for (; m_iconRow < ListView1->count(); ++m_iconRow) {
        if (slice.elapsed() >= IconSlice) {
            m_iconTimer->start();
            return;
        }
        QListWidgetItem* entry = ListView1->item(m_iconRow);
        if (entry->icon().isNull())
            entry->setIcon(m_platform.shell.fileTypeIcon(entry->text()));
    }
}

void TForm3::ToolButton1Click()
{
    ListFolderFiles();
}

void TForm3::Refresh1Click()
{
    ListFolderFiles();
}

// The new value applies from the next listing.
void TForm3::Filter1Click()
{
    QString value = m_main.BrowsFilt;
    m_platform.prompts.inputBox(
        QStringLiteral("Filter"),
        QStringLiteral("Enter extensions of file types not to be listed (separate with commas "
                       "and remember the dot):"),
        value);
    m_main.BrowsFilt = AsciiUpperCase(value);
}

QStringList TForm3::ListedNames() const
{
    QStringList names;
    for (int row = 0; row < ListView1->count(); ++row)
        names << ListView1->item(row)->text();
    return names;
}

QList<QListWidgetItem*> TForm3::selectedItemsInListOrder() const
{
    QList<QListWidgetItem*> selected;
    for (int row = 0; row < ListView1->count(); ++row) {
        if (ListView1->item(row)->isSelected())
            selected << ListView1->item(row);
    }
    return selected;
}

QStringList TForm3::SelectedNames() const
{
    QStringList names;
    for (const QListWidgetItem* entry : selectedItemsInListOrder())
        names << entry->text();
    return names;
}

QString TForm3::SelectedFilePath() const
{
    const QList<QListWidgetItem*> selected = selectedItemsInListOrder();
    return selected.isEmpty() ? QString() : CurrentFolder + selected.first()->text();
}

bool TForm3::SelectName(const QString& name)
{
    const QList<QListWidgetItem*> found = ListView1->findItems(name, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    ListView1->clearSelection();
    ListView1->setCurrentItem(found.first());
    found.first()->setSelected(true);
    return true;
}
