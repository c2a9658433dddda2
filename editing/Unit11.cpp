#include "editing/Unit11.h"

#include "app/ScreenFit.h"
#include "app/Strset.h"
#include "app/Unit1.h"
#include "editing/AutoComplete.h"
#include "prefs/PageParts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

TForm11* Form11 = nullptr;

namespace
{

// The dialog stands over the middle of the main window, offset by these.
constexpr QPoint PlaceOffset(225, 148);
constexpr int DialogWidth = 2 * PlaceOffset.x();
constexpr int DialogHeight = 2 * PlaceOffset.y();
constexpr int SampleSizeLength = 2;

} // namespace

TForm11::TForm11(TForm1& mainWindow) : QDialog(&mainWindow), m_main(mainWindow)
{
    Form11 = this;
    setObjectName("Form11");
    setWindowTitle(tr("Auto Complete"));
    MakeSecondaryDialog(this);
    StrSet1 = new TStrSet(this);
    createControls();
    createLayout();
    resize(DialogWidth, DialogHeight);

    // Close, Esc and the close box all end here.
    connect(this, &QDialog::finished, this, &TForm11::FormClose);
    FormCreate();
}

TForm11::~TForm11()
{
    if (Form11 == this)
        Form11 = nullptr;
}

// Created in their tab order.
void TForm11::createControls()
{
    Label1 =
        Named(new QLabel(tr("When editing, press Shift+Enter to Auto Complete."), this), "Label1");
    Edit1 = Named(new QLineEdit(this), "Edit1");
    Edit2 = Named(new QLineEdit(QStringLiteral("2"), this), "Edit2");
    Edit2->setMaxLength(SampleSizeLength);
    Edit2->setFixedWidth(Edit2->fontMetrics().horizontalAdvance(u'0') * 4 + 12);
    Button1 = Named(new QPushButton(tr("&Add"), this), "Button1");
    Button1->setDefault(true); // Enter in the text field adds it
    Button2 = Named(new QPushButton(tr("&Remove"), this), "Button2");
    Button3 = Named(new QPushButton(tr("&Close"), this), "Button3");
    ListBox1 = EntryList("ListBox1", this);
    SpeedButton1 = ArrowButton(Qt::UpArrow, "SpeedButton1", this);
    SpeedButton2 = ArrowButton(Qt::DownArrow, "SpeedButton2", this);
    CheckBox1 = Named(new QCheckBox(tr("&Don't move cursor"), this), "CheckBox1");

    connect(Button1, &QPushButton::clicked, this, &TForm11::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm11::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm11::Button3Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm11::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm11::SpeedButton2Click);
}

void TForm11::createLayout()
{
    auto* textLabel = Named(new QLabel(tr("&Text:"), this), "Label2");
    textLabel->setBuddy(Edit1);
    auto* sizeLabel = Named(new QLabel(tr("&Sample size:"), this), "Label3");
    sizeLabel->setBuddy(Edit2);
    auto* fields = new QGridLayout;
    fields->addWidget(textLabel, 0, 0);
    fields->addWidget(Edit1, 0, 1, 1, 2);
    fields->addWidget(sizeLabel, 1, 0);
    fields->addWidget(Edit2, 1, 1);
    fields->setColumnStretch(2, 1);

    auto* arrows = new QHBoxLayout;
    arrows->addWidget(SpeedButton1);
    arrows->addWidget(SpeedButton2);
    arrows->addStretch();
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addLayout(arrows);
    buttons->addStretch();
    buttons->addWidget(Button3);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addLayout(fields, 1, 0);
    grid->addWidget(ListBox1, 2, 0);
    grid->addLayout(buttons, 1, 1, 2, 1);
    grid->addWidget(CheckBox1, 3, 0, 1, 2);
    grid->setRowStretch(2, 1);
}

// Over the middle of the main window as it stands now; it stays there for the program's run.
void TForm11::FormCreate()
{
    PlaceOverMiddle(this, m_main, PlaceOffset);
}

void TForm11::FormShow()
{
    CheckBox1->setChecked(m_main.DontMoveCursor);
    ListBox1->clear();
    StrSet1->SetStrings(m_main.autocomp->Strings());
    for (const QString& entry : StrSet1->Strings())
        ListBox1->addItem(CompletionDisplayText(entry));
}

// No check for duplicates; the text stays in its field.
void TForm11::Button1Click()
{
    const QString text = Edit1->text();
    ListBox1->addItem(AddedDisplayText(text));
    StrSet1->Strings() << MakeCompletionEntry(AddedSampleSize(Edit2->text(), text), text);
}

void TForm11::Button2Click()
{
    if (const int row = RemoveSelectedRow(ListBox1); row >= 0)
        StrSet1->Strings().removeAt(row);
}

void TForm11::SpeedButton1Click()
{
    MoveSelectedEntry(ListBox1, StrSet1->Strings(), -1);
}

void TForm11::SpeedButton2Click()
{
    MoveSelectedEntry(ListBox1, StrSet1->Strings(), 1);
}

void TForm11::Button3Click()
{
    m_main.DontMoveCursor = CheckBox1->isChecked();
    m_main.autocomp->SetStrings(StrSet1->Strings());
    close();
}

// Re-enabling the other windows and giving back Stay on Top are the main window's part of
// the closing (TForm1::ShowSecondaryWindow).
void TForm11::FormClose()
{
    m_main.activateWindow();
}
