#include "tools/Unit12.h"

#include "app/ScreenFit.h"
#include "app/Scrlmemo.h"
#include "app/Unit1.h"
#include "editing/ClipboardText.h"

#include <QAction>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm12* Form12 = nullptr;

namespace
{

constexpr QSize ClientSize(174, 200);
constexpr int DisplayRow = 0;

struct ButtonRow {
    QPushButton* TForm12::*button;
    const char* name;
    const char* caption;
    void (TForm12::*handler)();
    int row;
    int column;
};

// The keypad in its rows, below the display.
const ButtonRow ButtonRows[] = {
    {&TForm12::Button16, "Button16", "7", &TForm12::Button16Click, 1, 0},
    {&TForm12::Button17, "Button17", "8", &TForm12::Button17Click, 1, 1},
    {&TForm12::Button18, "Button18", "9", &TForm12::Button18Click, 1, 2},
    {&TForm12::Button11, "Button11", "/", &TForm12::Button11Click, 1, 3},
    {&TForm12::Button13, "Button13", "4", &TForm12::Button13Click, 2, 0},
    {&TForm12::Button14, "Button14", "5", &TForm12::Button14Click, 2, 1},
    {&TForm12::Button15, "Button15", "6", &TForm12::Button15Click, 2, 2},
    {&TForm12::Button10, "Button10", "*", &TForm12::Button10Click, 2, 3},
    {&TForm12::Button4, "Button4", "1", &TForm12::Button4Click, 3, 0},
    {&TForm12::Button5, "Button5", "2", &TForm12::Button5Click, 3, 1},
    {&TForm12::Button6, "Button6", "3", &TForm12::Button6Click, 3, 2},
    {&TForm12::Button9, "Button9", "-", &TForm12::Button9Click, 3, 3},
    {&TForm12::Button19, "Button19", "0", &TForm12::Button19Click, 4, 0},
    {&TForm12::Button12, "Button12", ",", &TForm12::Button12Click, 4, 1},
    {&TForm12::Button8, "Button8", "=", &TForm12::Button8Click, 4, 2},
    {&TForm12::Button7, "Button7", "+", &TForm12::Button7Click, 4, 3},
    {&TForm12::Button3, "Button3", "C", &TForm12::Button3Click, 5, 0},
    {&TForm12::Button20, "Button20", "Del", &TForm12::Button20Click, 5, 1},
    {&TForm12::Button2, "Button2", "&Copy", &TForm12::Button2Click, 5, 2},
    {&TForm12::Button1, "Button1", "&Paste", &TForm12::Button1Click, 5, 3},
};

struct KeyButton {
    int key;
    Qt::KeyboardModifier needed; // NoModifier: with any modifiers
    QPushButton* TForm12::*button;
};

constexpr Qt::KeyboardModifier Keypad = Qt::KeypadModifier;
constexpr Qt::KeyboardModifier Any = Qt::NoModifier;

// The keys that press buttons. The keypad sends the navigation keys with Num Lock off. Alt
// with the underlined letter presses Copy and Paste.
const KeyButton KeyButtons[] = {
    {Qt::Key_0, Keypad, &TForm12::Button19},
    {Qt::Key_1, Keypad, &TForm12::Button4},
    {Qt::Key_2, Keypad, &TForm12::Button5},
    {Qt::Key_3, Keypad, &TForm12::Button6},
    {Qt::Key_4, Keypad, &TForm12::Button13},
    {Qt::Key_5, Keypad, &TForm12::Button14},
    {Qt::Key_6, Keypad, &TForm12::Button15},
    {Qt::Key_7, Keypad, &TForm12::Button16},
    {Qt::Key_8, Keypad, &TForm12::Button17},
    {Qt::Key_9, Keypad, &TForm12::Button18},
    {Qt::Key_Insert, Any, &TForm12::Button19},
    {Qt::Key_End, Any, &TForm12::Button4},
    {Qt::Key_Down, Any, &TForm12::Button5},
    {Qt::Key_PageDown, Any, &TForm12::Button6},
    {Qt::Key_Left, Any, &TForm12::Button13},
    {Qt::Key_Clear, Any, &TForm12::Button14},
    {Qt::Key_Right, Any, &TForm12::Button15},
    {Qt::Key_Home, Any, &TForm12::Button16},
    {Qt::Key_Up, Any, &TForm12::Button17},
    {Qt::Key_PageUp, Any, &TForm12::Button18},
    {Qt::Key_Return, Any, &TForm12::Button8},
    {Qt::Key_Enter, Any, &TForm12::Button8},
    {Qt::Key_Backspace, Any, &TForm12::Button20},
    {Qt::Key_Comma, Any, &TForm12::Button12},
    {Qt::Key_Slash, Keypad, &TForm12::Button11},
    {Qt::Key_Asterisk, Keypad, &TForm12::Button10},
    {Qt::Key_Minus, Keypad, &TForm12::Button9},
    {Qt::Key_Plus, Keypad, &TForm12::Button7},
    {Qt::Key_C, Qt::AltModifier, &TForm12::Button2},
    {Qt::Key_P, Qt::AltModifier, &TForm12::Button1},
};

} // namespace

TForm12::TForm12(TForm1& mainWindow)
    : TFloatingWindow(&mainWindow, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                                       Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_main(mainWindow)
{
    Form12 = this;
    setObjectName("Form12");
    setWindowTitle(QStringLiteral("Calculator"));
    setAttribute(Qt::WA_QuitOnClose, false);
    createControls();
    setFixedSize(ClientSize.expandedTo(minimumSizeHint()));
    FormCreate();
}

TForm12::~TForm12()
{
    if (Form12 == this)
        Form12 = nullptr;
}

// Keys go to the window itself: no control can take the focus.
void TForm12::createControls()
{
    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Memo1 = new QLineEdit(QStringLiteral("0"), Panel1);
    Memo1->setObjectName("Memo1");
    Memo1->setAlignment(Qt::AlignRight);
    Memo1->setReadOnly(true);
    Memo1->setMaxLength(Calculator::DisplayLength);
    Memo1->setFocusPolicy(Qt::NoFocus);
    // The panel passes no mouse input to the display, as a disabled one would.
    Memo1->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* panel = new QVBoxLayout(Panel1);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->addWidget(Memo1);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setSpacing(4);
    grid->addWidget(Panel1, DisplayRow, 0, 1, 4);
    // As narrow as the longest caption allows, whatever the style's usual button width.
    const QSize smallest(fontMetrics().horizontalAdvance(QStringLiteral("Paste")) + 12,
                         fontMetrics().height() + 10);
    for (const ButtonRow& row : ButtonRows) {
        auto* button = new QPushButton(QString::fromLatin1(row.caption), this);
        button->setObjectName(QString::fromLatin1(row.name));
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        button->setMinimumSize(smallest);
        this->*row.button = button;
        grid->addWidget(button, row.row, row.column);
        connect(button, &QPushButton::clicked, this, row.handler);
    }
}

void TForm12::FormCreate()
{
    const qint64 left = qint64(m_main.x()) + m_main.width() / 2 - 87;
    const qint64 top = qint64(m_main.y()) + m_main.height() / 2 - 100;
    move(ToCoordinate(left), ToCoordinate(top));
}

// The other floating windows (Open Files, Overview) wait while the Calculator is shown.
void TForm12::FormShow()
{
    for (TFloatingWindow* other : otherFloatingWindows()) {
        if (other->isVisible())
            other->setEnabled(false);
    }
    showDisplay(m_calculator.Clear().display);
}

// Every way of closing ends here. The other floating windows are enabled again, hidden ones
// too (one hidden meanwhile would otherwise stay disabled when shown again). While a
// secondary window keeps the main window disabled they stay disabled with it, below it; the
// main window enables them when that window closes.
void TForm12::FormClose()
{
    const bool mainUsable = m_main.isEnabled();
    for (TFloatingWindow* other : otherFloatingWindows()) {
        if (!mainUsable)
            continue;
        other->setEnabled(true);
        if (other->isVisible())
            other->raise();
    }
    // The check mark of "Show Calculator" says whether the window is shown.
    if (auto* command = m_main.findChild<QAction*>(QStringLiteral("Calculator1")))
        command->setChecked(false);
    if (mainUsable)
        m_main.activateWindow();
}

QList<TFloatingWindow*> TForm12::otherFloatingWindows() const
{
    QList<TFloatingWindow*> windows =
        m_main.findChildren<TFloatingWindow*>(QString(), Qt::FindDirectChildrenOnly);
    windows.removeOne(this);
    return windows;
}

void TForm12::FormKeyDown(int key, Qt::KeyboardModifiers shift)
{
    for (const KeyButton& entry : KeyButtons) {
        if (entry.key == key && (shift & entry.needed) == entry.needed) {
            (this->*entry.button)->click();
            return;
        }
    }
}

// Every key comes to the window as a key press: none is taken as a shortcut, not even one of
// the main window, which Qt would let work in the windows it owns.
bool TForm12::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    return TFloatingWindow::event(event);
}

// Every key stops here, handled or not, with its character.
void TForm12::keyPressEvent(QKeyEvent* event)
{
    FormKeyDown(event->key(), event->modifiers());
    event->accept();
}

void TForm12::closeEvent(QCloseEvent* event)
{
    FormClose();
    TFloatingWindow::closeEvent(event);
}

// A secondary window disables the main window, and Qt disables the windows it owns with it:
// the Calculator stays usable all the same.
void TForm12::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        setEnabled(true);
    TFloatingWindow::changeEvent(event);
}

void TForm12::showDisplay(const QString& text)
{
    Memo1->setText(text);
    caretToEnd();
}

void TForm12::caretToEnd()
{
    Memo1->end(false);
}

void TForm12::takeFocus()
{
    activateWindow();
    setFocus();
}

void TForm12::applyStep(const CalculatorStep& step)
{
    showDisplay(step.display);
    if (!step.message.isEmpty()) {
        if (step.messageKind == MessageKind::Error)
            m_main.showError(step.message);
        else
            m_main.showInformation(step.message);
    }
    takeFocus();
}

// Paste: the display's text replaces the selection of the active document.
void TForm12::Button1Click()
{
    if (TScrollMemo* memo = m_main.ActiveMemo())
        memo->ReplaceSelection(Memo1->text());
    takeFocus();
}

// Copy: the display's text goes to the clipboard.
void TForm12::Button2Click()
{
    SetClipboardText(Memo1->text());
    caretToEnd();
    takeFocus();
}

void TForm12::Button3Click()
{
    applyStep(m_calculator.Clear());
}

void TForm12::Button4Click()
{
    applyStep(m_calculator.Digit(1));
}

void TForm12::Button5Click()
{
    applyStep(m_calculator.Digit(2));
}

void TForm12::Button6Click()
{
    applyStep(m_calculator.Digit(3));
}

void TForm12::Button7Click()
{
    applyStep(m_calculator.ApplyOperator(CalcOperator::Add));
}

void TForm12::Button8Click()
{
    applyStep(m_calculator.Equals());
}

void TForm12::Button9Click()
{
    applyStep(m_calculator.ApplyOperator(CalcOperator::Subtract));
}

void TForm12::Button10Click()
{
    applyStep(m_calculator.ApplyOperator(CalcOperator::Multiply));
}

void TForm12::Button11Click()
{
    applyStep(m_calculator.ApplyOperator(CalcOperator::Divide));
}

void TForm12::Button12Click()
{
    applyStep(m_calculator.Comma());
}

void TForm12::Button13Click()
{
    applyStep(m_calculator.Digit(4));
}

void TForm12::Button14Click()
{
    applyStep(m_calculator.Digit(5));
}

void TForm12::Button15Click()
{
    applyStep(m_calculator.Digit(6));
}

void TForm12::Button16Click()
{
    applyStep(m_calculator.Digit(7));
}

void TForm12::Button17Click()
{
    applyStep(m_calculator.Digit(8));
}

void TForm12::Button18Click()
{
    applyStep(m_calculator.Digit(9));
}

void TForm12::Button19Click()
{
    applyStep(m_calculator.Digit(0));
}

void TForm12::Button20Click()
{
    applyStep(m_calculator.DeleteLast());
}
