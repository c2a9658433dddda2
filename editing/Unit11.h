#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;
class TForm1;
class TStrSet;

// The Auto Complete dialog: edits a working copy of the main window's auto-complete entries
// and the "Don't move cursor" option. Only Close gives them to the main window; Esc and the
// close box discard them. Created once, hidden, and owned by the main window, which shows it
// without modality while keeping itself disabled.
class TForm11 final : public QDialog
{
    Q_OBJECT

public:
    explicit TForm11(TForm1& mainWindow);
    ~TForm11() override;

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;          // the text to add
    QLineEdit* Edit2 = nullptr;          // its sample size
    QPushButton* Button1 = nullptr;      // Add
    QPushButton* Button2 = nullptr;      // Remove
    QPushButton* Button3 = nullptr;      // Close
    QListWidget* ListBox1 = nullptr;     // the shown text of each entry of StrSet1, same index
    QToolButton* SpeedButton1 = nullptr; // up
    QToolButton* SpeedButton2 = nullptr; // down
    QCheckBox* CheckBox1 = nullptr;
    TStrSet* StrSet1 = nullptr; // the working copy of the entries

    // Fills the dialog from the main window; the command that shows it calls it.
    void FormShow();
    void Button1Click();
    void Button2Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void Button3Click();

private:
    void createControls();
    void createLayout();
    void FormCreate();
    void FormClose();

    TForm1& m_main;
};

extern TForm11* Form11;
