// The Replace Special dialog.

#include "editing/Unit9.h"

#include "app/BusyCursor.h"
#include "app/ScreenFit.h"
#include "app/Scrlmemo.h"
#include "app/Unit1.h"
#include "app/Unit7.h"
#include "editing/TextTransforms.h"
#include "prefs/PageParts.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TForm9* Form9 = nullptr;

namespace
{

constexpr QPoint PlaceOffset(147, 123);
constexpr int TextBoxLines = 4;

} // namespace

TForm9::TForm9(TForm1& mainWindow) : QDialog(&mainWindow), m_main(mainWindow)
{
    Form9 = this;
    setObjectName("Form9");
    setWindowTitle(tr("Replace Special"));
    MakeSecondaryDialog(this);

    Memo1 = createTextBox("Memo1");
    Memo2 = createTextBox("Memo2");
    auto* findLabel = new QLabel(tr("&Find what:"), this);
    findLabel->setBuddy(Memo1);
    auto* replaceLabel = new QLabel(tr("&Replace with:"), this);
    replaceLabel->setBuddy(Memo2);
    RadioButton1 = Named(new QRadioButton(tr("Replace in &all open files"), this), "RadioButton1");
    RadioButton2 = Named(new QRadioButton(tr("Replace in &selected files"), this), "RadioButton2");
    RadioButton1->setChecked(true);
    CheckBox1 = Named(new QCheckBox(tr("Match &case"), this), "CheckBox1");
    Button1 = Named(new QPushButton(tr("Replace All"), this), "Button1");
    Button1->setDefault(true);
    Button2 = Named(new QPushButton(tr("Close"), this), "Button2");
    connect(Button1, &QPushButton::clicked, this, &TForm9::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    QHBoxLayout* buttons = ButtonRow(Button1, Button2);
    auto* layout = new QVBoxLayout(this);
    for (QWidget* widget : std::initializer_list<QWidget*>{findLabel, Memo1, replaceLabel, Memo2,
                                                           RadioButton1, RadioButton2, CheckBox1})
        layout->addWidget(widget);
    layout->addLayout(buttons);
    adjustSize();

    // Close, Esc and the close box all end here.
    connect(this, &QDialog::finished, this, &TForm9::FormClose);
    PlaceOverMiddle(this, m_main, PlaceOffset);
}

TForm9::~TForm9()
{
    if (Form9 == this)
        Form9 = nullptr;
}

// A box of several lines, given out joined by CR LF; Tab moves on to the next control.
TScrollMemo* TForm9::createTextBox(const char* name)
{
    auto* box = Named(new TScrollMemo(this), name);
    box->SetWantTabs(false);
    box->SetWordWrap(false);
    box->SetScrollBars(ScrollBarsMode::Vertical);
    box->setFixedHeight(box->fontMetrics().lineSpacing() * TextBoxLines + 2 * box->frameWidth() +
                        8);
    return box;
}

void TForm9::Button1Click()
{
    {
        BusyCursor busy;
        const bool matchCase = CheckBox1->isChecked();
        const QList<QMdiSubWindow*> windows = m_main.DocumentWindows();
        if (RadioButton2->isChecked()) {
            // The selected entries from the first to the last, for windows that still exist.
            for (int i = 0; Form7 && i < Form7->ListView1->count(); ++i) {
                const QListWidgetItem* entry = Form7->ListView1->item(i);
                QMdiSubWindow* window = TForm7::WindowOf(entry);
                if (entry->isSelected() && windows.contains(window))
                    ReplaceInDocument(TForm1::MemoOf(window), matchCase);
            }
        } else {
            for (auto window = windows.crbegin(); window != windows.crend(); ++window)
                ReplaceInDocument(TForm1::MemoOf(*window), matchCase);
        }
    }
    m_main.showInformation(tr("Tavro has finished going through the document(s)."));
    // The message box gives the focus back to the main window, which is disabled while the
    // dialog is open.
    activateWindow();
}

// A replacement that would not end, or would grow the text beyond reason, leaves the
// document as it was and says so.
void TForm9::ReplaceInDocument(TScrollMemo* memo, bool matchCase)
{
    const ReplacementResult result =
        RepeatedReplacementEdits(memo->FullText(), Memo1->FullText(), Memo2->FullText(), matchCase);
    const QString caption = memo->parentWidget() ? memo->parentWidget()->windowTitle() : QString();
    switch (result.outcome) {
    case ReplacementOutcome::Done:
        memo->ReplaceRanges(result.edits);
        break;
    case ReplacementOutcome::Endless:
        m_main.showError(tr("Tavro left %1 as it was: the replacements there would not come to "
                            "an end.")
                             .arg(caption));
        break;
    case ReplacementOutcome::TooLarge:
        m_main.showError(tr("Tavro left %1 as it was: the replacements would make it more than "
                            "four times as large.")
                             .arg(caption));
        break;
    }
}

void TForm9::FormClose()
{
    m_main.activateWindow();
}
