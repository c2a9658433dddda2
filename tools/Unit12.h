#pragma once

#include "app/FloatingWindow.h"
#include "tools/Calculator.h"

class QFrame;
class QLineEdit;
class QPushButton;
class TForm1;

// The Calculator window: a four-function calculator that floats above the main window,
// copies its display to the clipboard and pastes it into the active document. Its keys work
// while it is the active window; no key ever reaches one of its controls. Created once,
// hidden, and owned by the main window, whose "Show Calculator" command shows and closes it.
class TForm12 final : public TFloatingWindow
{
    Q_OBJECT

public:
    explicit TForm12(TForm1& mainWindow);
    ~TForm12() override;

    QFrame* Panel1 = nullptr;
    QLineEdit* Memo1 = nullptr;      // the display
    QPushButton* Button1 = nullptr;  // Paste
    QPushButton* Button2 = nullptr;  // Copy
    QPushButton* Button3 = nullptr;  // C
    QPushButton* Button4 = nullptr;  // 1
    QPushButton* Button5 = nullptr;  // 2
    QPushButton* Button6 = nullptr;  // 3
    QPushButton* Button7 = nullptr;  // +
    QPushButton* Button8 = nullptr;  // =
    QPushButton* Button9 = nullptr;  // -
    QPushButton* Button10 = nullptr; // *
    QPushButton* Button11 = nullptr; // /
    QPushButton* Button12 = nullptr; // ,
    QPushButton* Button13 = nullptr; // 4
    QPushButton* Button14 = nullptr; // 5
    QPushButton* Button15 = nullptr; // 6
    QPushButton* Button16 = nullptr; // 7
    QPushButton* Button17 = nullptr; // 8
    QPushButton* Button18 = nullptr; // 9
    QPushButton* Button19 = nullptr; // 0
    QPushButton* Button20 = nullptr; // Del

    // Every showing starts cleared; the command that shows the window calls it, so that a
    // window the window system shows again keeps its calculation.
    void FormShow();
    // Presses the button of the key, if it has one.
    void FormKeyDown(int key, Qt::KeyboardModifiers shift);

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void Button8Click();
    void Button9Click();
    void Button10Click();
    void Button11Click();
    void Button12Click();
    void Button13Click();
    void Button14Click();
    void Button15Click();
    void Button16Click();
    void Button17Click();
    void Button18Click();
    void Button19Click();
    void Button20Click();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void createControls();
    void FormCreate();
    void FormClose();
    void applyStep(const CalculatorStep& step);
    void showDisplay(const QString& text);
    void caretToEnd();
    void takeFocus();
    QList<TFloatingWindow*> otherFloatingWindows() const;

    TForm1& m_main;
    Calculator m_calculator;
};

extern TForm12* Form12;
