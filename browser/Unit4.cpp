#include "browser/Unit4.h"

#include "app/FocusKeeper.h"

#include "browser/Unit3.h"
#include "prefs/PageParts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

TForm4* Form4 = nullptr;

TForm4::TForm4(QWidget* owner)
    : QDialog(owner,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    Form4 = this;
    setObjectName("Form4");
    setWindowTitle(tr("Find"));
    setModal(false);
    page = Named(new QStackedWidget(this), "page");
    page->addWidget(createHighlightPage());
    page->addWidget(createFindPage());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(page);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(this, &QDialog::finished, this, &TForm4::FormClose);
}

TForm4::~TForm4()
{
    if (Form4 == this)
        Form4 = nullptr;
}

// Label, field and button in the first row, the option and Cancel in the second.
static QWidget* findPage(const QString& label, QLineEdit* field, QCheckBox* option,
                         QPushButton* action, QPushButton* cancel)
{
    auto* holder = new QWidget;
    auto* caption = new QLabel(label, holder);
    caption->setBuddy(field);
    auto* grid = new QGridLayout(holder);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(caption, 0, 0);
    grid->addWidget(field, 0, 1);
    grid->addWidget(action, 0, 2);
    grid->addWidget(option, 1, 0, 1, 2);
    grid->addWidget(cancel, 1, 2);
    return holder;
}

QWidget* TForm4::createHighlightPage()
{
    Edit1 = Named(new QLineEdit, "Edit1");
    CheckBox1 = Named(new QCheckBox(tr("Match &whole word only")), "CheckBox1");
    Button1 = Named(new QPushButton(tr("Highlight")), "Button1");
    Button2 = Named(new QPushButton(tr("Cancel")), "Button2");
    connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    return findPage(tr("&Find what:"), Edit1, CheckBox1, Button1, Button2);
}

QWidget* TForm4::createFindPage()
{
    Edit2 = Named(new QLineEdit, "Edit2");
    CheckBox2 = Named(new QCheckBox(tr("Turn on Find and Highlight")), "CheckBox2");
    Button3 = Named(new QPushButton(tr("Find")), "Button3");
    Button4 = Named(new QPushButton(tr("Cancel")), "Button4");
    connect(Button3, &QPushButton::clicked, this, &TForm4::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &QDialog::reject);
    return findPage(tr("Find what:"), Edit2, CheckBox2, Button3, Button4);
}

// Enter presses the page's own button.
void TForm4::Open(Page shown, const QString& caption)
{
    setWindowTitle(caption);
    page->setCurrentIndex(shown);
    Button1->setDefault(shown == HighlightPage);
    Button3->setDefault(shown == FindInFilesPage);
    m_browserFocus = std::make_unique<FocusKeeper>(Form3);
    Form3->setEnabled(false);
    setEnabled(true);
    adjustSize();
    if (const QWidget* owner = parentWidget()) {
        QRect frame = frameGeometry();
        frame.moveCenter(owner->frameGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    activateWindow();
    (shown == HighlightPage ? Edit1 : Edit2)->setFocus();
}

void TForm4::Button1Click()
{
    const QString text = Edit1->text();
    const bool wholeWord = CheckBox1->isChecked();
    Form3->FindHighlightText = QString(wholeWord ? u'1' : u'0') + text;
    Form3->HighlightPreview(text, wholeWord);
    close();
}

// The dialog closes when the search starts.
void TForm4::Button3Click()
{
    const QString text = Edit2->text();
    Form3->FindInFolderFiles(text);
    if (CheckBox2->isChecked()) {
        Form3->FindHighlightText = QStringLiteral("0") + text;
        Form3->HighlightPreview(text, false);
    }
}

void TForm4::FormClose()
{
    Form3->setEnabled(true);
    Form3->activateWindow();
    m_browserFocus.reset();
}
