// The Preferences dialog: its frame, the Options and Toolbar pages, OK, Cancel and closing.
// The filter pages are TFilterPage; the Function keys page is in Unit5FunctionKeys.cpp.

#include "prefs/Unit5.h"

#include "app/Numbers.h"
#include "app/ScreenFit.h"
#include "app/Settings.h"
#include "app/Unit1.h"
#include "prefs/FilterPage.h"
#include "prefs/PageParts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

Tsetfilters* setfilters = nullptr;

namespace
{

// The entries of the Toolbar page, in ToolbarBits order: 34 buttons, then the separators.
const char* const ToolbarEntries[] = {
    "New",
    "Open",
    "Save",
    "Save All",
    "Close",
    "Close All",
    "Properties",
    "Reload",
    "Browse Files..",
    "Open With...",
    "Print",
    "Find",
    "Find Next",
    "Replace",
    "Cut",
    "Copy",
    "Copy Special",
    "Paste",
    "Paste Special",
    "Delete",
    "Crop",
    "Highlight",
    "Select All",
    "Word Wrap",
    "Undo",
    "Cascade",
    "Tile",
    "Clone",
    "Show Open Files",
    "Preferences",
    "Replace Special",
    "Execute",
    "Overview",
    "Calculator",
    "*Show separators",
};

// The dialog stands over the middle of the main window, offset by these.
constexpr QPoint PlaceOffset(166, 136);
constexpr int SwatchSize = 13;
constexpr int FirstFunctionKey = 5;
constexpr int SizeFieldLength = 4;
// What a size field that does not hold a number gives.
constexpr int FallbackWidth = 640;
constexpr int FallbackHeight = 480;

// The colour of a combo text; red for a text that names none of the six.
QColor highlightColorOf(const QString& name)
{
    return HighlightColorByName(name).value_or(QColor(Qt::red));
}

QIcon swatchIcon(const QColor& color)
{
    QPixmap pixmap(SwatchSize, SwatchSize);
    pixmap.fill(color);
    return QIcon(pixmap);
}

QLabel* buddyLabel(const QString& caption, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    return label;
}

QWidget* newPage(const char* name)
{
    auto* page = new QWidget;
    page->setObjectName(QString::fromLatin1(name));
    return page;
}

} // namespace

Tsetfilters::Tsetfilters(TForm1& mainWindow, Prompts& prompts)
    : QDialog(&mainWindow), m_main(mainWindow), m_prompts(prompts)
{
    setfilters = this;
    setObjectName("setfilters");
    setWindowTitle(tr("Preferences"));
    MakeSecondaryDialog(this);

    PageControl1 = Named(new QTabWidget(this), "PageControl1");
    PageControl1->setUsesScrollButtons(false); // all five tabs in sight
    createOptionsPage();
    createToolbarPage();
    createFilterPages();
    createFunctionKeysPage();
    createButtons();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    QHBoxLayout* buttons = ButtonRow(Button1, Button2);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();

    // OK, Cancel, Esc and the close box all end here.
    connect(this, &QDialog::finished, this, &Tsetfilters::FormClose);
    FormCreate();
}

Tsetfilters::~Tsetfilters()
{
    if (setfilters == this)
        setfilters = nullptr;
}

void Tsetfilters::createOptionsPage()
{
    QWidget* page = newPage("TabSheet3");
    ComboBox1 = Named(new QComboBox(page), "ComboBox1");
    for (const QString& name : HighlightColorNames())
        ComboBox1->addItem(swatchIcon(highlightColorOf(name)), name);
    Shape1 = Named(new QFrame(page), "Shape1");
    Shape1->setFixedSize(SwatchSize, SwatchSize);
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setAutoFillBackground(true);
    Edit5 = Named(new QLineEdit(page), "Edit5");
    Edit6 = Named(new QLineEdit(page), "Edit6");
    for (QLineEdit* field : {Edit5, Edit6}) {
        field->setMaxLength(SizeFieldLength);
        field->setFixedWidth(field->fontMetrics().horizontalAdvance(u'0') * 6 + 12);
    }
    CheckBox1 = Named(new QCheckBox(tr("Always &maximize new window"), page), "CheckBox1");
    CheckBox2 = Named(new QCheckBox(tr("Always show Tool&bar"), page), "CheckBox2");
    CheckBox3 = Named(new QCheckBox(tr("Always show Open F&iles"), page), "CheckBox3");
    CheckBox4 = Named(new QCheckBox(tr("Open &new window at startup"), page), "CheckBox4");
    CheckBox5 = Named(new QCheckBox(tr("Word Wra&p on as default"), page), "CheckBox5");
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &Tsetfilters::ComboBox1Change);

    auto* color = new QHBoxLayout;
    color->addWidget(ComboBox1);
    color->addWidget(Shape1);
    color->addStretch();
    auto* size = new QHBoxLayout;
    size->addWidget(Edit5);
    size->addWidget(Named(buddyLabel(tr("&x"), Edit6, page), "Label7"));
    size->addWidget(Edit6);
    size->addStretch();
    auto* fields = new QGridLayout;
    fields->addWidget(Named(buddyLabel(tr("&Highlight color: "), ComboBox1, page), "Label5"), 0, 0);
    fields->addLayout(color, 0, 1);
    fields->addWidget(Named(buddyLabel(tr("New &window size:"), Edit5, page), "Label6"), 1, 0);
    fields->addLayout(size, 1, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(fields);
    for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5})
        layout->addWidget(box);
    layout->addStretch();
    PageControl1->addTab(page, tr("&Options"));
}

void Tsetfilters::createToolbarPage()
{
    QWidget* page = newPage("TabSheet4");
    CheckListBox1 = Named(new QListWidget(page), "CheckListBox1");
    for (const char* entry : ToolbarEntries) {
        auto* item = new QListWidgetItem(QString::fromLatin1(entry), CheckListBox1);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    Button7 = Named(new QPushButton(tr("&Reset"), page), "Button7");
    connect(Button7, &QPushButton::clicked, this, &Tsetfilters::Button7Click);

    auto* layout = new QHBoxLayout(page);
    layout->addWidget(CheckListBox1, 1);
    auto* side = new QVBoxLayout;
    side->addWidget(Button7);
    side->addStretch();
    layout->addLayout(side);
    PageControl1->addTab(page, tr("&Toolbar"));
}

void Tsetfilters::createFilterPages()
{
    TabSheet1 = new TFilterPage({"TabSheet1", "Label3", "Edit1", "Label4", "Edit2", "ListBox1",
                                 "Button3", "Button4", "SpeedButton2", "SpeedButton1"},
                                m_prompts);
    TabSheet2 = new TFilterPage({"TabSheet2", "Label1", "Edit3", "Label2", "Edit4", "ListBox2",
                                 "Button5", "Button6", "SpeedButton3", "SpeedButton4"},
                                m_prompts);
    TabSheet1->SetPartner(TabSheet2);
    TabSheet2->SetPartner(TabSheet1);
    connectFilterPage(TabSheet1, &Tsetfilters::Button3Click, &Tsetfilters::Button4Click,
                      &Tsetfilters::ListBox1Click, &Tsetfilters::SpeedButton2Click,
                      &Tsetfilters::SpeedButton1Click);
    connectFilterPage(TabSheet2, &Tsetfilters::Button5Click, &Tsetfilters::Button6Click,
                      &Tsetfilters::ListBox2Click, &Tsetfilters::SpeedButton3Click,
                      &Tsetfilters::SpeedButton4Click);
    PageControl1->addTab(TabSheet1, tr("Open &filters"));
    PageControl1->addTab(TabSheet2, tr("&Save filters"));
}

void Tsetfilters::connectFilterPage(TFilterPage* page, Handler add, Handler remove, Handler click,
                                    Handler up, Handler down)
{
    auto run = [this](Handler handler) { return [this, handler] { (this->*handler)(); }; };
    connect(page->AddButton, &QPushButton::clicked, this, run(add));
    connect(page->RemoveButton, &QPushButton::clicked, this, run(remove));
    // A selection made with the keyboard counts as a click.
    connect(page->List, &QListWidget::itemSelectionChanged, this, run(click));
    connect(page->UpButton, &QToolButton::clicked, this, run(up));
    connect(page->DownButton, &QToolButton::clicked, this, run(down));
}

void Tsetfilters::createButtons()
{
    Button1 = Named(new QPushButton(tr("OK"), this), "Button1");
    Button1->setDefault(true);
    Button2 = Named(new QPushButton(tr("Cancel"), this), "Button2");
    connect(Button1, &QPushButton::clicked, this, &Tsetfilters::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tsetfilters::Button2Click);
}

// Over the middle of the main window as it stands now; it stays there for the program's run.
void Tsetfilters::FormCreate()
{
    PlaceOverMiddle(this, m_main, PlaceOffset);
    m_functionKey = FirstFunctionKey;
    m_functionKeys->button(m_functionKey)->setChecked(true);
    loadFunctionKey(m_functionKey);
}

void Tsetfilters::FormShow()
{
    Edit5->setText(QString::number(m_main.NewWindowWidth));
    Edit6->setText(QString::number(m_main.NewWindowHeight));
    CheckBox1->setChecked(m_main.AlwaysMaximize);
    CheckBox2->setChecked(!m_main.ToolBar1->isHidden());
    CheckBox3->setChecked(m_main.ShowTheOpenFiles);
    CheckBox4->setChecked(m_main.OpenNew);
    CheckBox5->setChecked(m_main.DefaultWordWrap);
    ComboBox1->setCurrentIndex(
        int(HighlightColorNames().indexOf(HighlightColorName(m_main.HighlightColor))));
    paintSwatch(m_main.HighlightColor);
    TabSheet1->Fill(m_main.OpenFilter);
    TabSheet2->Fill(m_main.SaveFilter);
    checkToolbarEntries(m_main.ToolbarBits);
    // The Function keys page keeps what it held when the dialog was closed.
}

QColor Tsetfilters::SwatchColor() const
{
    return Shape1->palette().color(QPalette::Window);
}

void Tsetfilters::paintSwatch(const QColor& color)
{
    QPalette palette = Shape1->palette();
    palette.setColor(QPalette::Window, color);
    Shape1->setPalette(palette);
}

void Tsetfilters::ComboBox1Change()
{
    paintSwatch(highlightColorOf(ComboBox1->currentText()));
}

void Tsetfilters::checkToolbarEntries(const QString& bits)
{
    for (int i = 0; i < CheckListBox1->count(); ++i) {
        const bool on = i < bits.size() && bits.at(i) == u'1';
        CheckListBox1->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
}

void Tsetfilters::ApplyToolbarChecks()
{
    QString bits;
    for (int i = 0; i < CheckListBox1->count(); ++i)
        bits += CheckListBox1->item(i)->checkState() == Qt::Checked ? u'1' : u'0';
    m_main.ToolbarBits = bits;
    m_main.ApplyToolbarBits();
}

// Reset shows the toolbar of a first run at once; Cancel does not undo it.
void Tsetfilters::Button7Click()
{
    m_main.ToolbarBits = Settings().toolbarBits;
    m_main.ApplyToolbarBits();
    checkToolbarEntries(m_main.ToolbarBits);
}

void Tsetfilters::Button1Click()
{
    // A macro that could not be written keeps the dialog open with nothing applied.
    if (!saveFunctionKey())
        return;
    ApplyToolbarChecks();
    m_main.NewWindowWidth = ReadInteger(Edit5->text()).value_or(FallbackWidth);
    m_main.NewWindowHeight = ReadInteger(Edit6->text()).value_or(FallbackHeight);
    // With no document the Open Files window stays as it is: it would show an empty list.
    if (!m_main.DocumentWindows().isEmpty())
        m_main.SetOpenFilesShown(CheckBox3->isChecked());
    m_main.AlwaysMaximize = CheckBox1->isChecked();
    m_main.SetToolbarShown(CheckBox2->isChecked());
    m_main.ShowTheOpenFiles = CheckBox3->isChecked();
    m_main.OpenNew = CheckBox4->isChecked();
    m_main.DefaultWordWrap = CheckBox5->isChecked();
    m_main.HighlightColor = highlightColorOf(ComboBox1->currentText());
    // The Open, Insert File and Save As dialogs take their filters when they open.
    m_main.OpenFilter = TabSheet1->Filter();
    m_main.SaveFilter = TabSheet2->Filter();
    close();
}

void Tsetfilters::Button2Click()
{
    close();
}

// Re-enabling the other windows and giving back Stay on Top are the main window's part of
// the closing (TForm1::ShowSecondaryWindow).
void Tsetfilters::FormClose()
{
    TabSheet1->Clear();
    TabSheet2->Clear();
    m_main.activateWindow();
}

void Tsetfilters::Button3Click()
{
    TabSheet1->Add();
}

void Tsetfilters::Button4Click()
{
    TabSheet1->Remove();
}

void Tsetfilters::ListBox1Click()
{
    TabSheet1->ListClick();
}

void Tsetfilters::SpeedButton2Click()
{
    TabSheet1->MoveUp();
}

void Tsetfilters::SpeedButton1Click()
{
    TabSheet1->MoveDown();
}

void Tsetfilters::Button5Click()
{
    TabSheet2->Add();
}

void Tsetfilters::Button6Click()
{
    TabSheet2->Remove();
}

void Tsetfilters::ListBox2Click()
{
    TabSheet2->ListClick();
}

void Tsetfilters::SpeedButton3Click()
{
    TabSheet2->MoveUp();
}

void Tsetfilters::SpeedButton4Click()
{
    TabSheet2->MoveDown();
}
