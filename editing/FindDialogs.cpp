#include "editing/FindDialogs.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TSearchDialog::TSearchDialog(QWidget* parent, const QString& title) : QDialog(parent)
{
    setWindowTitle(title);
    setModal(false);
    m_findText = new QLineEdit(this);
    m_findText->setObjectName("FindText");
    m_wholeWord = new QCheckBox(tr("Match &whole word only"), this);
    m_wholeWord->setObjectName("WholeWord");
    m_matchCase = new QCheckBox(tr("Match &case"), this);
    m_matchCase->setObjectName("MatchCase");

    m_fields = new QGridLayout;
    auto* findLabel = new QLabel(tr("Fi&nd what:"), this);
    findLabel->setBuddy(m_findText);
    m_fields->addWidget(findLabel, 0, 0);
    m_fields->addWidget(m_findText, 0, 1);

    m_buttons = new QWidget(this);
    auto* buttons = new QVBoxLayout(m_buttons);
    buttons->setContentsMargins(0, 0, 0, 0);
    m_cancel = new QPushButton(tr("Cancel"), m_buttons);
    m_cancel->setObjectName("CancelButton");
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::close);
    buttons->addWidget(m_cancel);
    buttons->addStretch();

    auto* options = new QVBoxLayout;
    options->addWidget(m_wholeWord);
    options->addWidget(m_matchCase);
    auto* left = new QVBoxLayout;
    left->addLayout(m_fields);
    left->addLayout(options);
    left->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addWidget(m_buttons);

    QPushButton* findNext = addButton(tr("&Find Next"), "FindNextButton");
    findNext->setDefault(true);
    connect(findNext, &QPushButton::clicked, this, &TSearchDialog::FindNext);
    connect(m_findText, &QLineEdit::textChanged, this,
            [findNext](const QString& text) { findNext->setEnabled(!text.isEmpty()); });
    findNext->setEnabled(false);
}

// Buttons stack up on the right, above the Cancel button.
QPushButton* TSearchDialog::addButton(const QString& caption, const char* name)
{
    auto* button = new QPushButton(caption, m_buttons);
    button->setObjectName(name);
    auto* buttons = static_cast<QVBoxLayout*>(m_buttons->layout());
    buttons->insertWidget(buttons->indexOf(m_cancel), button);
    return button;
}

void TSearchDialog::Open()
{
    show();
    raise();
    activateWindow();
    m_findText->selectAll();
    m_findText->setFocus();
}

QString TSearchDialog::FindText() const
{
    return m_findText->text();
}

void TSearchDialog::SetFindText(const QString& text)
{
    m_findText->setText(text);
}

bool TSearchDialog::MatchCase() const
{
    return m_matchCase->isChecked();
}

bool TSearchDialog::WholeWord() const
{
    return m_wholeWord->isChecked();
}

void TSearchDialog::SetOptions(bool matchCase, bool wholeWord)
{
    m_matchCase->setChecked(matchCase);
    m_wholeWord->setChecked(wholeWord);
}

TFindDialog::TFindDialog(QWidget* parent) : TSearchDialog(parent, tr("Find"))
{
    setObjectName("FindDialog1");
    auto* direction = new QGroupBox(tr("Direction"), this);
    m_up = new QRadioButton(tr("&Up"), direction);
    m_down = new QRadioButton(tr("&Down"), direction);
    m_down->setChecked(true);
    auto* directions = new QHBoxLayout(direction);
    directions->addWidget(m_up);
    directions->addWidget(m_down);
    m_fields->addWidget(direction, 1, 1);
}

bool TFindDialog::Down() const
{
    return m_down->isChecked();
}

void TFindDialog::SetDown(bool down)
{
    (down ? m_down : m_up)->setChecked(true);
}

TReplaceDialog::TReplaceDialog(QWidget* parent) : TSearchDialog(parent, tr("Replace"))
{
    setObjectName("ReplaceDialog1");
    m_replaceText = new QLineEdit(this);
    m_replaceText->setObjectName("ReplaceText");
    auto* replaceLabel = new QLabel(tr("Re&place with:"), this);
    replaceLabel->setBuddy(m_replaceText);
    m_fields->addWidget(replaceLabel, 1, 0);
    m_fields->addWidget(m_replaceText, 1, 1);
    QPushButton* replace = addButton(tr("&Replace"), "ReplaceButton");
    QPushButton* replaceAll = addButton(tr("Replace &All"), "ReplaceAllButton");
    connect(replace, &QPushButton::clicked, this, &TReplaceDialog::Replace);
    connect(replaceAll, &QPushButton::clicked, this, &TReplaceDialog::ReplaceAll);
    connect(m_findText, &QLineEdit::textChanged, this, [replace, replaceAll](const QString& text) {
        replace->setEnabled(!text.isEmpty());
        replaceAll->setEnabled(!text.isEmpty());
    });
    replace->setEnabled(false);
    replaceAll->setEnabled(false);
}

QString TReplaceDialog::ReplaceText() const
{
    return m_replaceText->text();
}

void TReplaceDialog::SetReplaceText(const QString& text)
{
    m_replaceText->setText(text);
}
