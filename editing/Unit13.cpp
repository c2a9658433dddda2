#include "editing/Unit13.h"

#include "app/BusyCursor.h"
#include "app/Unit1.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

TForm13* Form13 = nullptr;

TForm13::TForm13(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint)
{
    Form13 = this;
    setObjectName("Form13");
    setWindowTitle(tr("Find and Highlight"));
    setModal(false);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    auto* label = new QLabel(tr("Fi&nd what:"), this);
    label->setBuddy(Edit1);
    CheckBox1 = new QCheckBox(tr("Match &whole word only"), this);
    CheckBox1->setObjectName("CheckBox1");
    Button1 = new QPushButton(tr("Highlight"), this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    Button2 = new QPushButton(tr("Cancel"), this);
    Button2->setObjectName("Button2");
    connect(Button1, &QPushButton::clicked, this, &TForm13::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::close);

    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(Edit1, 0, 1);
    layout->addWidget(Button1, 0, 2);
    layout->addWidget(CheckBox1, 1, 0, 1, 2);
    layout->addWidget(Button2, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TForm13::~TForm13()
{
    if (Form13 == this)
        Form13 = nullptr;
}

void TForm13::Open()
{
    const bool opening = !isVisible();
    show();
    if (opening) { // with its frame known
        QRect frame = frameGeometry();
        frame.moveCenter(QGuiApplication::primaryScreen()->availableGeometry().center());
        move(frame.topLeft());
    }
    raise();
    activateWindow();
}

// The dialog stays open, so that several texts can be highlighted one after another.
void TForm13::Button1Click()
{
    BusyCursor busy;
    if (TScrollMemo* memo = Form1 ? Form1->ActiveMemo() : nullptr)
        Form1->HighlightAllOccurrences(memo, Edit1->text(), CheckBox1->isChecked());
}
