// The main window's commands: one table row per menu item and per toolbar button.

#include "app/Unit1.h"

#include <QAction>
#include <QHash>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{

// The lists a command belongs to: how it is shown, and what it needs to be enabled (the
// rules are in TForm1::UpdateCommandStates).
enum Lists : unsigned {
    NoLists = 0,
    StartsOff = 1u << 0, // disabled until the first document window exists
    Checkable = 1u << 1,
    StartsChecked = 1u << 2,
    NeedsDocument = CommandNeeds::Document,
    NeedsSelection = CommandNeeds::Selection,
    NeedsUndo = CommandNeeds::Undo,
    NeedsClipboardText = CommandNeeds::ClipboardText,
    NeedsFile = CommandNeeds::File,
    NeedsNoStayOnTop = CommandNeeds::NoStayOnTop,
    NeedsBookmark = CommandNeeds::Bookmark,
};

enum class MenuRowKind { Item, Menu, Separator };

struct MenuRow {
    MenuRowKind kind;
    const char* parent; // object name of the menu that holds the row; "" = the menu bar
    const char* name;   // object name
    const char* caption;
    const char* shortcut; // portable text; "" = none
    unsigned lists;
    TForm1::Handler handler; // nullptr while the command is not built
};

constexpr MenuRow menu(const char* parent, const char* name, const char* caption,
                       unsigned lists = NoLists)
{
    return {MenuRowKind::Menu, parent, name, caption, "", lists, nullptr};
}

constexpr MenuRow item(const char* parent, const char* name, const char* caption,
                       const char* shortcut = "", unsigned lists = NoLists,
                       TForm1::Handler handler = nullptr)
{
    return {MenuRowKind::Item, parent, name, caption, shortcut, lists, handler};
}

constexpr MenuRow separator(const char* parent, const char* name = "")
{
    return {MenuRowKind::Separator, parent, name, "", "", NoLists, nullptr};
}

// The main menu, then the editor popup menu. Parents come before their rows.
const MenuRow MenuRows[] = {
    menu("", "File1", "&File"),
    item("File1", "New1", "&New", "", NoLists, &TForm1::New1Click),
    item("File1", "Open1", "&Open...", "", NoLists, &TForm1::Open1Click),
    menu("File1", "RecentDocuments1", "Documents"),
    item("RecentDocuments1", "Nofiles1", "No files"),
    menu("File1", "Favorites1", "Favorites"),
    separator("Favorites1", "N15"),
    item("Favorites1", "Modify1", "Modify...", "", NoLists, &TForm1::Modify1Click),
    item("File1", "Save1", "&Save", "Ctrl+S", NeedsDocument | StartsOff, &TForm1::Save1Click),
    item("File1", "SaveAs1", "Save &As...", "", NeedsDocument | StartsOff, &TForm1::SaveAs1Click),
    item("File1", "SaveAll1", "Save All", "Ctrl+Alt+S", NeedsDocument | StartsOff,
         &TForm1::SaveAll1Click),
    item("File1", "Close1", "&Close", "", NeedsDocument, &TForm1::Close1Click),
    item("File1", "CloseAll1", "C&lose All", "", NeedsDocument, &TForm1::CloseAll1Click),
    separator("File1"),
    item("File1", "Properties1", "Properties", "", NeedsDocument | NeedsFile,
         &TForm1::Properties1Click),
    separator("File1"),
    item("File1", "BrowseFiles1", "&Browse Files...", "Ctrl+B", NoLists,
         &TForm1::BrowseFiles1Click),
    separator("File1"),
    item("File1", "PageSetup1", "Page Setup...", "", NoLists, &TForm1::PageSetup1Click),
    item("File1", "Print1", "&Print", "", NeedsDocument | StartsOff, &TForm1::Print1Click),
    separator("File1"),
    item("File1", "Exit1", "E&xit", "", NoLists, &TForm1::Exit1Click),

    menu("", "Edit1", "&Edit", NeedsDocument | StartsOff),
    item("Edit1", "Undo1", "&Undo", "Ctrl+Z", NeedsDocument | NeedsUndo, &TForm1::Undo1Click),
    separator("Edit1"),
    item("Edit1", "Cut1", "Cu&t", "Ctrl+X", NeedsDocument | NeedsSelection, &TForm1::Cut1Click),
    item("Edit1", "Copy1", "&Copy", "Ctrl+C", NeedsDocument | NeedsSelection, &TForm1::Copy1Click),
    item("Edit1", "CopySpecial1", "Copy Special...", "Ctrl+Alt+C", NeedsDocument | NeedsSelection,
         &TForm1::CopySpecial1Click),
    item("Edit1", "Paste1", "&Paste", "Ctrl+V", NeedsDocument | NeedsClipboardText,
         &TForm1::Paste1Click),
    item("Edit1", "PasteSpecial1", "Paste Special...", "Ctrl+Alt+V",
         NeedsDocument | NeedsClipboardText, &TForm1::PasteSpecial1Click),
    item("Edit1", "Delete1", "De&lete", "Del", NeedsDocument, &TForm1::Delete1Click),
    item("Edit1", "Crop1", "C&rop", "Ctrl+R", NeedsDocument | NeedsSelection, &TForm1::Crop1Click),
    item("Edit1", "AutoPaste1", "Auto Paste", "", Checkable | NeedsDocument,
         &TForm1::AutoPaste1Click),
    item("Edit1", "Insertfile1", "Insert File...", "Ctrl+I", NeedsDocument,
         &TForm1::Insertfile1Click),
    separator("Edit1"),
    item("Edit1", "Highlight2", "&Highlight", "Ctrl+H", NeedsDocument | NeedsSelection,
         &TForm1::Highlight2Click),
    item("Edit1", "ClearHighlights1", "Clear Highlights", "Ctrl+Alt+H", NeedsDocument,
         &TForm1::ClearHighlights1Click),
    separator("Edit1"),
    menu("Edit1", "Bookmark1", "&Bookmark"),
    item("Bookmark1", "Goto1", "Goto", "", NeedsDocument | NeedsBookmark, &TForm1::Goto1Click),
    item("Bookmark1", "Set1", "Set", "", NeedsDocument, &TForm1::Set1Click),
    separator("Edit1"),
    item("Edit1", "SelectAll1", "Select &All", "Ctrl+A", NeedsDocument, &TForm1::SelectAll1Click),
    item("Edit1", "TimeDate1", "Time/&Date", "Shift+F5", NeedsDocument, &TForm1::TimeDate1Click),
    separator("Edit1"),
    item("Edit1", "Execute1", "Execute", "Ctrl+T", NeedsDocument | NeedsSelection,
         &TForm1::Execute1Click),
    separator("Edit1"),
    item("Edit1", "WordWrap1", "&Word Wrap", "Ctrl+W", Checkable | NeedsDocument,
         &TForm1::WordWrap1Click),
    separator("Edit1"),
    item("Edit1", "Refresh1", "Re&load", "Ctrl+L", NeedsDocument | NeedsFile,
         &TForm1::Refresh1Click),
    item("Edit1", "OpenWith1", "Open With...", "F9", NeedsDocument, &TForm1::OpenWith1Click),

    menu("", "Search1", "&Search", NeedsDocument | StartsOff),
    item("Search1", "FindReplace1", "&Find...", "Ctrl+F", NeedsDocument,
         &TForm1::FindReplace1Click),
    item("Search1", "Findnext1", "Find &Next", "F3", NeedsDocument, &TForm1::Findnext1Click),
    item("Search1", "FindandHighlight1", "Find and Highlight...", "", NeedsDocument,
         &TForm1::FindandHighlight1Click),
    item("Search1", "Replace1", "&Replace...", "Ctrl+E", NeedsDocument, &TForm1::Replace1Click),
    item("Search1", "ReplaceSpecial1", "Replace Special...", "Ctrl+Alt+E", NeedsDocument,
         &TForm1::ReplaceSpecial1Click),

    menu("", "Options1", "&Options"),
    item("Options1", "SetFilters1", "Preferences", "", NoLists, &TForm1::SetFilters1Click),
    item("Options1", "AutoComplete1", "Auto Complete...", "", NoLists, &TForm1::AutoComplete1Click),
    item("Options1", "SetFont1", "Set Font...", "", NoLists, &TForm1::SetFont1Click),

    menu("", "Window1", "&Window", NeedsDocument | StartsOff),
    item("Window1", "Cascade1", "&Cascade", "", NeedsDocument, &TForm1::Cascade1Click),
    item("Window1", "Tile1", "&Tile", "", NeedsDocument, &TForm1::Tile1Click),
    item("Window1", "MinimizeAll1", "&Minimize All", "", NeedsDocument, &TForm1::MinimizeAll1Click),
    menu("Window1", "BringtoFront1", "&Bring to Front"),
    item("Window1", "oggleWindows1", "Toggle", "Alt+Backspace", NeedsDocument,
         &TForm1::oggleWindows1Click),
    separator("Window1"),
    item("Window1", "CloneWindow1", "Clone &Window", "Ctrl+Alt+W", NeedsDocument,
         &TForm1::CloneWindow1Click),
    separator("Window1"),
    item("Window1", "ShowToolbar1", "Show Toolbar", "", Checkable | StartsChecked | NeedsDocument,
         &TForm1::ShowToolbar1Click),
    item("Window1", "ShowOpenFiles1", "Show Open Files", "F4",
         Checkable | NeedsDocument | NeedsNoStayOnTop, &TForm1::ShowOpenFiles1Click),
    item("Window1", "Overview1", "Show Overview", "", Checkable | NeedsDocument | NeedsNoStayOnTop,
         &TForm1::Overview1Click),
    item("Window1", "Calculator1", "Show Calculator", "",
         Checkable | NeedsDocument | NeedsNoStayOnTop, &TForm1::Calculator1Click),
    separator("Window1"),
    item("Window1", "Stayontop1", "Stay on Top", "", Checkable | NeedsDocument,
         &TForm1::Stayontop1Click),

    menu("", "Help1", "&Help"),
    item("Help1", "HelpTopics1", "&Help Topics", "F1", NoLists, &TForm1::HelpTopics1Click),
    separator("Help1"),
    item("Help1", "About1", "&About...", "", NoLists, &TForm1::About1Click),

    // The editor popup menu: no shortcuts; each item runs its main-menu namesake's command.
    item("PopupMenu1", "Undo2", "&Undo", "", NeedsDocument | NeedsUndo, &TForm1::Undo1Click),
    separator("PopupMenu1"),
    item("PopupMenu1", "Cut2", "Cu&t", "", NeedsDocument | NeedsSelection, &TForm1::Cut1Click),
    item("PopupMenu1", "Copy2", "&Copy", "", NeedsDocument | NeedsSelection, &TForm1::Copy1Click),
    item("PopupMenu1", "Paste2", "&Paste", "", NeedsDocument | NeedsClipboardText,
         &TForm1::Paste1Click),
    item("PopupMenu1", "Delete2", "De&lete", "", NeedsDocument | NeedsSelection,
         &TForm1::Delete1Click),
    item("PopupMenu1", "Crop2", "C&rop", "", NeedsDocument | NeedsSelection, &TForm1::Crop1Click),
    separator("PopupMenu1"),
    item("PopupMenu1", "Highlight1", "&Highlight", "", NeedsDocument | NeedsSelection,
         &TForm1::Highlight1Click),
    separator("PopupMenu1"),
    item("PopupMenu1", "SelectAll2", "Select &All", "", NeedsDocument, &TForm1::SelectAll1Click),
    separator("PopupMenu1"),
    item("PopupMenu1", "Execute2", "Execute", "", NeedsDocument | NeedsSelection,
         &TForm1::Execute2Click),
    separator("PopupMenu1"),
    menu("PopupMenu1", "Bookmark2", "Bookmark"),
    item("Bookmark2", "Goto2", "Goto", "", NeedsDocument | NeedsBookmark, &TForm1::Goto1Click),
    item("Bookmark2", "Set2", "Set", "", NeedsDocument, &TForm1::Set1Click),
};

const MenuRow* findMenuRow(const char* name)
{
    for (const MenuRow& row : MenuRows) {
        if (qstrcmp(row.name, name) == 0)
            return &row;
    }
    return nullptr;
}

// How a toolbar button reaches its command.
enum class Forward {
    Runs,   // calls the command's handler, whatever the menu item's state
    Clicks, // invokes the menu item: nothing while it is disabled, a check item flips first
    Own     // has a handler of its own, which decides whether to invoke the menu item
};

enum class ButtonRowKind { Button, Separator, RowEnd };

constexpr int SeparatorBit = 35; // the ToolbarBits position of all five separators

struct ButtonRow {
    ButtonRowKind kind;
    const char* name;
    const char* hint;
    int bit;             // position in ToolbarBits, 1-34
    const char* command; // object name of the menu item whose command it runs
    Forward forward;
    // The desktop theme's standard name for the picture; "" where no standard name fits this
    // button alone. Our own picture is resources/icons/<name>.svg.
    const char* themeIcon;
    unsigned lists;
    TForm1::Handler own; // with Forward::Own
};

constexpr ButtonRow button(const char* name, const char* hint, int bit, const char* command,
                           Forward forward, const char* themeIcon, unsigned lists = NeedsDocument)
{
    return {ButtonRowKind::Button, name, hint, bit, command, forward, themeIcon, lists, nullptr};
}

constexpr ButtonRow ownButton(const char* name, const char* hint, int bit, const char* command,
                              const char* themeIcon, TForm1::Handler own)
{
    return {ButtonRowKind::Button, name,      hint,          bit, command,
            Forward::Own,          themeIcon, NeedsDocument, own};
}

constexpr ButtonRow toolSeparator(const char* name)
{
    return {
        ButtonRowKind::Separator, name, "", SeparatorBit, "", Forward::Runs, "", NoLists, nullptr};
}

constexpr ButtonRow rowEnd()
{
    return {ButtonRowKind::RowEnd, "", "", 0, "", Forward::Runs, "", NoLists, nullptr};
}

constexpr unsigned NeedsSelectedText = NeedsDocument | NeedsSelection;

// The toolbar in its two rows, in the order shown.
const ButtonRow ButtonRows[] = {
    button("NewButton", "New", 1, "New1", Forward::Runs, "document-new", NoLists),
    button("OpenButton", "Open", 2, "Open1", Forward::Runs, "document-open", NoLists),
    button("SaveButton", "Save", 3, "Save1", Forward::Runs, "document-save"),
    button("SaveAllButton", "Savel All", 4, "SaveAll1", Forward::Clicks, ""),
    button("CloseButton", "", 5, "Close1", Forward::Runs, "document-close"),
    button("CloseAllButton", "Close All", 6, "CloseAll1", Forward::Clicks, ""),
    button("PropertiesButton", "Properties", 7, "Properties1", Forward::Clicks,
           "document-properties"),
    ownButton("ReloadButton", "Reload", 8, "Refresh1", "", &TForm1::ReloadButtonClick),
    button("BrowseButton", "Browse Files", 9, "BrowseFiles1", Forward::Runs, "system-file-manager",
           NoLists),
    button("OpenWithButton", "Open With", 10, "OpenWith1", Forward::Clicks, "system-run"),
    toolSeparator("separator1"),
    button("PrintButton", "Print", 11, "Print1", Forward::Runs, "document-print"),
    button("FindButton", "Find", 12, "FindReplace1", Forward::Runs, "edit-find"),
    button("FindNextButton", "Find Next", 13, "Findnext1", Forward::Clicks, ""),
    button("ReplaceButton", "Replace", 14, "Replace1", Forward::Runs, "edit-find-replace"),
    button("RepadButton", "Replace Special", 31, "ReplaceSpecial1", Forward::Clicks, ""),
    toolSeparator("separator2"),
    rowEnd(),
    button("CutButton", "Cut", 15, "Cut1", Forward::Runs, "edit-cut", NeedsSelectedText),
    button("CopyButton", "Copy", 16, "Copy1", Forward::Runs, "edit-copy", NeedsSelectedText),
    button("CopySButton", "Copy Special", 17, "CopySpecial1", Forward::Clicks, "",
           NeedsSelectedText),
    button("PasteButton", "Paste", 18, "Paste1", Forward::Runs, "edit-paste"),
    button("PasteSButton", "Paste Special", 19, "PasteSpecial1", Forward::Clicks, ""),
    button("DeleteButton", "Delete", 20, "Delete1", Forward::Runs, "edit-delete"),
    button("CropButton", "Crop", 21, "Crop1", Forward::Runs, "", NeedsSelectedText),
    button("HighlightButton", "Highlight", 22, "Highlight1", Forward::Runs, "format-text-color",
           NeedsSelectedText),
    button("SelectAButton", "Select All", 23, "SelectAll1", Forward::Clicks, ""),
    button("wrapbutton", "Word Wrap", 24, "WordWrap1", Forward::Clicks, ""),
    button("ExecuteButton", "Execute", 32, "Execute1", Forward::Clicks, "", NeedsSelectedText),
    toolSeparator("separator3"),
    button("UndoButton", "Undo", 25, "Undo1", Forward::Runs, "edit-undo",
           NeedsDocument | NeedsUndo),
    toolSeparator("separator5"),
    button("TileButton", "Tile", 27, "Tile1", Forward::Runs, ""),
    button("CascadeButton", "Cascade", 26, "Cascade1", Forward::Runs, ""),
    button("CloneButton", "Clone Window", 28, "CloneWindow1", Forward::Runs, ""),
    toolSeparator("separator4"),
    button("PreferencesButton", "Preferences", 30, "SetFilters1", Forward::Clicks,
           "preferences-system"),
    button("showbutton", "Open Files", 29, "ShowOpenFiles1", Forward::Runs, "",
           NeedsDocument | NeedsNoStayOnTop),
    button("OverviewButton", "Overview", 33, "Overview1", Forward::Runs, "",
           NeedsDocument | NeedsNoStayOnTop),
    button("calcButton", "Calculator", 34, "Calculator1", Forward::Clicks, ""),
};

constexpr int ToolbarButtonCount = 34;
constexpr int ToolbarIconSize = 24; // the grid our own pictures are drawn on

// The desktop theme's picture where the theme has the standard name, else our own, so that
// every button reads without an icon theme (offscreen, minimal desktops).
QIcon buttonIcon(const ButtonRow& row)
{
    const QString themeName = QString::fromLatin1(row.themeIcon);
    if (!themeName.isEmpty() && QIcon::hasThemeIcon(themeName))
        return QIcon::fromTheme(themeName);
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(QString::fromLatin1(row.name)));
}

QToolBar* newToolbarRow(QWidget* holder, const QString& name)
{
    auto* row = new QToolBar(holder);
    row->setObjectName(name);
    row->setMovable(false);
    row->setFloatable(false);
    row->setIconSize(QSize(ToolbarIconSize, ToolbarIconSize));
    holder->layout()->addWidget(row);
    return row;
}

QAction* newToolbarButton(QToolBar* row, const ButtonRow& entry)
{
    const QString name = QString::fromLatin1(entry.name);
    auto* button = new QAction(buttonIcon(entry), QString::fromLatin1(entry.hint), row);
    button->setObjectName(name);
    button->setToolTip(button->text());
    row->addAction(button);
    row->widgetForAction(button)->setObjectName(name);
    return button;
}

} // namespace

void TForm1::connectHandler(QAction* command, Handler handler)
{
    connect(command, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
}

QAction* TForm1::action(const char* objectName) const
{
    QAction* found = findChild<QAction*>(QString::fromLatin1(objectName));
    Q_ASSERT_X(found, "TForm1::action", objectName);
    return found;
}

void TForm1::createMenus()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    QHash<QString, QMenu*> menus{{"PopupMenu1", PopupMenu1}};

    for (const MenuRow& row : MenuRows) {
        QMenu* parent = menus.value(QString::fromLatin1(row.parent));
        const QString caption = QString::fromLatin1(row.caption);
        const QString name = QString::fromLatin1(row.name);
        QAction* created = nullptr;
        switch (row.kind) {
        case MenuRowKind::Menu: {
            QMenu* menu = parent ? parent->addMenu(caption) : menuBar()->addMenu(caption);
            menu->setObjectName(name);
            menus.insert(name, menu);
            created = menu->menuAction();
            break;
        }
        case MenuRowKind::Separator:
            created = parent->addSeparator();
            break;
        case MenuRowKind::Item:
            created = parent->addAction(caption);
            break;
        }
        created->setObjectName(name);
        created->setEnabled(!(row.lists & StartsOff));
        created->setCheckable(row.lists & Checkable);
        created->setChecked(row.lists & StartsChecked);
        if (const unsigned needs = row.lists & CommandNeeds::All)
            m_commandNeeds << qMakePair(created, needs);
        const QKeySequence shortcut(QString::fromLatin1(row.shortcut));
        created->setShortcut(shortcut);
        if (!shortcut.isEmpty())
            m_menuKeys << shortcut;
        if (row.handler) {
            connectHandler(created, row.handler);
            if (!shortcut.isEmpty())
                m_commandKeys << shortcut;
        }
    }
}

// Menus that bring their items up to date when they open.
void TForm1::connectMenuOpenings()
{
    const std::pair<const char*, Handler> openings[] = {
        {"File1", &TForm1::File1Click},
        {"RecentDocuments1", &TForm1::RecentDocuments1Click},
        {"Favorites1", &TForm1::Favorites1Click},
        {"Edit1", &TForm1::Edit1Click},
        {"Window1", &TForm1::Window1Click},
        {"PopupMenu1", &TForm1::PopupMenu1Popup},
        {"Bookmark1", &TForm1::Bookmark1Click},
        {"Bookmark2", &TForm1::Bookmark1Click},
    };
    for (const auto& [name, handler] : openings) {
        auto* menu = findChild<QMenu*>(QString::fromLatin1(name));
        connect(menu, &QMenu::aboutToShow, this, [this, handler] { (this->*handler)(); });
    }
}

void TForm1::createToolBar()
{
    ToolBar1 = new QWidget(this);
    ToolBar1->setObjectName("ToolBar1");
    auto* rows = new QVBoxLayout(ToolBar1);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);

    m_toolbarButtons.resize(ToolbarButtonCount);
    QToolBar* row = newToolbarRow(ToolBar1, "ToolBar1Row1");
    for (const ButtonRow& entry : ButtonRows) {
        switch (entry.kind) {
        case ButtonRowKind::RowEnd:
            row = newToolbarRow(ToolBar1, "ToolBar1Row2");
            break;
        case ButtonRowKind::Separator:
            m_toolbarSeparators << row->addSeparator();
            m_toolbarSeparators.last()->setObjectName(QString::fromLatin1(entry.name));
            break;
        case ButtonRowKind::Button: {
            QAction* button = newToolbarButton(row, entry);
            m_toolbarButtons[entry.bit - 1] = button;
            const MenuRow* command = findMenuRow(entry.command);
            Q_ASSERT_X(command, "TForm1::createToolBar", entry.command);
            // A button that invokes its menu item needs what the item needs.
            const unsigned needs =
                (entry.lists | (entry.forward == Forward::Clicks ? command->lists : 0)) &
                CommandNeeds::All;
            if (needs)
                m_commandNeeds << qMakePair(button, needs);
            if (entry.forward == Forward::Own)
                connectHandler(button, entry.own);
            else if (command->handler && entry.forward == Forward::Runs)
                connectHandler(button, command->handler);
            else if (command->handler)
                connect(button, &QAction::triggered, action(entry.command), &QAction::trigger);
            break;
        }
        }
    }
}

void TForm1::ApplyToolbarBits()
{
    auto visibleAt = [this](int position) {
        return position <= ToolbarBits.size() && ToolbarBits.at(position - 1) == u'1';
    };
    for (int i = 0; i < m_toolbarButtons.size(); ++i)
        m_toolbarButtons[i]->setVisible(visibleAt(i + 1));
    for (QAction* separator : std::as_const(m_toolbarSeparators))
        separator->setVisible(visibleAt(SeparatorBit));
}
