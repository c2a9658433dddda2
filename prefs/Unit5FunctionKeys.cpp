// The Function keys page of the Preferences dialog: the macro of one function key at a time,
// composed from the statement menu and kept in the key's file in the program folder.

#include "prefs/Unit5.h"

#include "app/Strset.h"
#include "editing/Macros.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompts.h"
#include "prefs/PageParts.h"

#include <QAction>
#include <QButtonGroup>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{

struct KeyButton {
    const char* name;
    const char* caption;
    int key;
};

// Top to bottom: RadioButton6 (F11) stands above RadioButton5 (F12).
const KeyButton KeyButtons[] = {
    {"RadioButton1", "F5", 5}, {"RadioButton2", "F6", 6},   {"RadioButton3", "F7", 7},
    {"RadioButton4", "F8", 8}, {"RadioButton6", "F11", 11}, {"RadioButton5", "F12", 12},
};

// The items of the statement menu; nullptr stands for a separator. Every statement item
// adds its statement. That includes Execute: the macro runner accepts an Execute statement
// (and ignores its argument), so the item adds one like its siblings.
const QList<const char*> Statements = {
    "ShowMsg(\"\")",
    "Execute(\"\")",
    nullptr,
    "SetVarValue(\"\")",
    "DecVar(\"\")",
    "IncVar(\"\")",
    nullptr,
    "MoveSelPosBy(\"\")",
    "SetSelLength(\"\")",
    "SetSelPos(\"\")",
    "ResetSelStart",
    "SelectAll",
    nullptr,
    "FindDown(\"\")",
    "FindUp(\"\")",
    nullptr,
    "InsertText(\"\")",
    "LineBreak",
    nullptr,
    "LaunchFind",
    "LaunchReplace",
    "InsertFile",
    "WordWrap",
    "Save",
    nullptr,
    "Undo",
    "Cut",
    "Copy",
    "Paste",
    "Crop",
    "Delete",
    "Highlight",
    "RemoveHighlight",
};

const QList<const char*> Variables = {
    "%VAR%",  nullptr,       "%SELPOS%",     "%SELLENGTH%", "%SELSTART%", "%SELTEXT%",
    nullptr,  "%LINESTART%", "%LINEEND%",    "%ROW%",       nullptr,      "%TIME%",
    "%DATE%", "%FILE%",      "%TEXTLENGTH%", nullptr,       "%BR%",
};

// What an argument is written after.
const QString Opener = QStringLiteral("(\"");

QString macroFilePath(int key, bool forWriting)
{
    return programFilePath(MacroFileName(key), forWriting);
}

// The letters of a caption: "ShowMsg(\"\")" gives "ShowMsg", "%SELPOS%" "SELPOS".
QString lettersOf(const QString& caption)
{
    QString letters;
    for (const QChar character : caption) {
        if (character.isLetter())
            letters += character;
    }
    return letters;
}

} // namespace

void Tsetfilters::createFunctionKeysPage()
{
    QWidget* page = new QWidget;
    page->setObjectName("TabSheet5");
    // Created in their tab order.
    SpeedButton7 = Named(new QToolButton(page), "SpeedButton7");
    SpeedButton7->setText(QStringLiteral("+"));
    SpeedButton7->setToolTip(tr("Add a statement or a variable"));
    SpeedButton7->setAccessibleName(SpeedButton7->toolTip());
    Edit7 = Named(new QLineEdit(page), "Edit7");
    auto* valueLabel = Named(new QLabel(tr("&Value:"), page), "ValueLabel");
    valueLabel->setBuddy(Edit7);
    ListBox3 = Named(new QListWidget(page), "ListBox3");
    ListBox3->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox3->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Button9 = Named(new QPushButton(tr("&Remove"), page), "Button9");
    SpeedButton5 = ArrowButton(Qt::UpArrow, "SpeedButton5", page);
    SpeedButton6 = ArrowButton(Qt::DownArrow, "SpeedButton6", page);
    m_functionKeys = new QButtonGroup(page);
    auto* keys = new QVBoxLayout;
    for (const KeyButton& entry : KeyButtons) {
        auto* button = Named(new QRadioButton(QLatin1String(entry.caption), page), entry.name);
        m_functionKeys->addButton(button, entry.key);
        keys->addWidget(button);
    }
    keys->addStretch();
    createStatementMenu();
    for (auto change : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(ListBox3->model(), change, this, [this] { m_keepMacroFile = false; });

    connect(SpeedButton7, &QToolButton::clicked, this, &Tsetfilters::SpeedButton7Click);
    connect(Button9, &QPushButton::clicked, this, &Tsetfilters::Button9Click);
    connect(SpeedButton5, &QToolButton::clicked, this, &Tsetfilters::SpeedButton5Click);
    connect(SpeedButton6, &QToolButton::clicked, this, &Tsetfilters::SpeedButton6Click);
    // Clicks only: checking a button from here must not save or load a macro.
    connect(m_functionKeys, &QButtonGroup::buttonClicked, this, &Tsetfilters::RadioButton1Click);

    auto* arrows = new QHBoxLayout;
    arrows->addWidget(SpeedButton5);
    arrows->addWidget(SpeedButton6);
    arrows->addStretch();
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(Button9);
    buttons->addLayout(arrows);
    buttons->addStretch();
    auto* layout = new QGridLayout(page);
    layout->addWidget(SpeedButton7, 0, 0);
    layout->addWidget(valueLabel, 0, 1);
    layout->addWidget(Edit7, 0, 2);
    layout->addWidget(ListBox3, 1, 0, 1, 3);
    layout->addLayout(buttons, 1, 3);
    layout->addLayout(keys, 0, 4, 2, 1);
    layout->setColumnStretch(2, 1);
    PageControl1->addTab(page, tr("F&unction keys"));
}

void Tsetfilters::createStatementMenu()
{
    PopupMenu1 = Named(new QMenu(this), "PopupMenu1");
    QMenu* functions = Named(PopupMenu1->addMenu(tr("Add Function")), "AddFunction1");
    addMenuItems(functions, "Add", Statements, &Tsetfilters::ShowMsg1Click);
    QMenu* variables = Named(PopupMenu1->addMenu(tr("Variables")), "Variables1");
    addMenuItems(variables, "Insert", Variables, &Tsetfilters::VAR1Click);
}

void Tsetfilters::addMenuItems(QMenu* menu, const char* namePrefix,
                               const QList<const char*>& captions, ItemHandler handler)
{
    for (const char* caption : captions) {
        if (!caption) {
            menu->addSeparator();
            continue;
        }
        const QString text = QLatin1String(caption);
        QAction* item = menu->addAction(text);
        item->setObjectName(QLatin1String(namePrefix) + lettersOf(text));
        // The text to use, as the desktop may add access keys to the caption shown.
        item->setData(text);
        connect(item, &QAction::triggered, this, [this, handler, item] { (this->*handler)(item); });
    }
}

// Missing and unreadable files give an empty list. A file that exists but could not be read
// is not overwritten by that empty list: only by a list the user has changed.
void Tsetfilters::loadFunctionKey(int key)
{
    TStrSet lines;
    const QString path = macroFilePath(key, false);
    const bool read = lines.LoadFromFile(path).ok;
    ListBox3->clear();
    ListBox3->addItems(lines.Strings());
    m_keepMacroFile = !read && QFileInfo::exists(path);
}

// Writes the list to the current key's file; false, with a message, when that failed.
bool Tsetfilters::saveFunctionKey()
{
    if (m_keepMacroFile)
        return true;
    TStrSet lines;
    for (int i = 0; i < ListBox3->count(); ++i)
        lines.Strings() << ListBox3->item(i)->text();
    const QString path = macroFilePath(m_functionKey, true);
    const FileResult saved = lines.SaveToFile(path);
    if (!saved.ok)
        m_prompts.message(MessageKind::Error,
                          QStringLiteral("Cannot create file ") + path + u'\r' + saved.error,
                          MessageButtons::Ok);
    return saved.ok;
}

void Tsetfilters::RadioButton1Click(QAbstractButton* sender)
{
    // A list that could not be saved stays on the page, with its key.
    if (!saveFunctionKey()) {
        m_functionKeys->button(m_functionKey)->setChecked(true);
        return;
    }
    const int key = m_functionKeys->id(sender);
    loadFunctionKey(key);
    m_functionKey = key;
}

void Tsetfilters::SpeedButton7Click()
{
    PopupMenu1->popup(SpeedButton7->mapToGlobal(QPoint(0, SpeedButton7->height())));
}

// A statement with an argument gets the Value field's text as its argument.
void Tsetfilters::ShowMsg1Click(const QAction* sender)
{
    QString statement = sender->data().toString();
    if (const qsizetype opener = statement.indexOf(Opener); opener >= 0)
        statement.insert(opener + Opener.size(), Edit7->text());
    ListBox3->addItem(statement + u';');
    Edit7->clear();
}

void Tsetfilters::VAR1Click(const QAction* sender)
{
    Edit7->insert(sender->data().toString());
}

void Tsetfilters::Button9Click()
{
    RemoveSelectedRow(ListBox3);
}

void Tsetfilters::SpeedButton5Click()
{
    MoveSelectedRow(ListBox3, -1);
}

void Tsetfilters::SpeedButton6Click()
{
    MoveSelectedRow(ListBox3, 1);
}
