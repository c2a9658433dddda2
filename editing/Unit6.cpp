// The Copy Special and Paste Special dialog.

#include "editing/Unit6.h"

#include "app/BusyCursor.h"
#include "app/ScreenFit.h"
#include "app/Scrlmemo.h"
#include "app/TextCompare.h"
#include "app/Unit1.h"
#include "editing/ClipboardText.h"
#include "editing/TextTransforms.h"
#include "prefs/PageParts.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

TForm6* Form6 = nullptr;

namespace
{

constexpr QPoint PlaceOffset(119, 86);
const QString InitialRemoved = QStringLiteral(">>");

} // namespace

TForm6::TForm6(TForm1& mainWindow) : QDialog(&mainWindow), m_main(mainWindow)
{
    Form6 = this;
    setObjectName("Form6");
    MakeSecondaryDialog(this);

    Notebook1 = Named(new QStackedWidget(this), "Notebook1");
    Notebook1->addWidget(createPage("Paste", tr("Before pasting: "),
                                    {tr("Convert to &uppercase"), tr("Convert to &lowercase"),
                                     tr("&Remove:"), tr("Strip &HTML")},
                                    RadioGroup1, Edit2));
    Notebook1->addWidget(createPage("Copy", tr("When copying: "),
                                    {tr("&Append text"), tr("Remove line &breaks"), tr("&Remove:"),
                                     tr("Copy &highlighted text only")},
                                    RadioGroup2, Edit1));
    Button1 = Named(new QPushButton(this), "Button1");
    Button1->setDefault(true);
    Button2 = Named(new QPushButton(tr("Cancel"), this), "Button2");
    connect(Button1, &QPushButton::clicked, this, &TForm6::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    QHBoxLayout* buttons = ButtonRow(Button1, Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Notebook1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();

    // Cancel, Esc, the action button and the close box all end here.
    connect(this, &QDialog::finished, this, &TForm6::FormClose);
    PlaceOverMiddle(this, m_main, PlaceOffset);
}

TForm6::~TForm6()
{
    if (Form6 == this)
        Form6 = nullptr;
}

// A group of choices, the first one chosen, and below it the text that "Remove:" removes.
QWidget* TForm6::createPage(const char* name, const QString& title, const QStringList& choices,
                            QButtonGroup*& group, QLineEdit*& removed)
{
    auto* page = Named(new QWidget, name);
    auto* box = new QGroupBox(title, page);
    auto* boxLayout = new QVBoxLayout(box);
    group = new QButtonGroup(box);
    for (int i = 0; i < choices.size(); ++i) {
        auto* choice = new QRadioButton(choices[i], box);
        group->addButton(choice, i);
        boxLayout->addWidget(choice);
    }
    group->button(0)->setChecked(true);
    removed = new QLineEdit(InitialRemoved, box);
    boxLayout->addWidget(removed);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(box);
    return page;
}

void TForm6::Prepare(const QString& caption, const QString& action, Page page)
{
    setWindowTitle(caption);
    Button1->setText(action);
    Notebook1->setCurrentIndex(page);
    QButtonGroup* choices = page == PastePage ? RadioGroup1 : RadioGroup2;
    choices->checkedButton()->setFocus();
}

void TForm6::Button1Click()
{
    {
        BusyCursor busy;
        const QString data = ClipboardText();
        if (Button1->text() == tr("Paste"))
            pasteTransformed(data);
        else
            copyTransformed(data);
    }
    accept();
}

// The result replaces the selection of the active document.
void TForm6::pasteTransformed(const QString& data)
{
    QString result;
    switch (RadioGroup1->checkedId()) {
    case UpperCase:
        result = AsciiUpperCase(data);
        break;
    case LowerCase:
        result = AsciiLowerCase(data);
        break;
    case PasteRemove:
        result = RemoveRepeatedly(data, Edit2->text());
        break;
    default:
        result = StripHtml(data);
        break;
    }
    if (TScrollMemo* memo = m_main.ActiveMemo())
        memo->ReplaceSelection(result);
}

// The clipboard receives the result, made from the selection of the active document.
void TForm6::copyTransformed(const QString& clipboard)
{
    TScrollMemo* memo = m_main.ActiveMemo();
    const QString selected = memo ? memo->SelectedText() : clipboard;
    switch (RadioGroup2->checkedId()) {
    case AppendText:
        SetClipboardText(clipboard + selected);
        break;
    case RemoveBreaks:
        SetClipboardText(RemoveLineBreaks(selected));
        break;
    case CopyRemove:
        SetClipboardText(RemoveRepeatedly(selected, Edit1->text()));
        break;
    default:
        SetClipboardText(memo ? HighlightedRuns(selected, memo->toDocPos(memo->SelStart()),
                                                memo->Colors(), m_main.HighlightColor.rgb())
                              : QString());
        break;
    }
}

void TForm6::FormClose()
{
    m_main.activateWindow();
}
