#pragma once

#include <QDialog>

class QCheckBox;
class QPushButton;
class QRadioButton;
class TForm1;
class TScrollMemo;

// The Replace Special dialog: replaces a text, which may span lines, by another in all open
// documents or in those selected in the Open Files window, working on each document's whole
// text. Created once, owned by the main window; it keeps its texts and choices for the
// program's run and stays open after replacing.
class TForm9 final : public QDialog
{
    Q_OBJECT

public:
    explicit TForm9(TForm1& mainWindow);
    ~TForm9() override;

    TScrollMemo* Memo1 = nullptr;         // find what
    TScrollMemo* Memo2 = nullptr;         // replace with
    QRadioButton* RadioButton1 = nullptr; // all open files
    QRadioButton* RadioButton2 = nullptr; // selected files
    QCheckBox* CheckBox1 = nullptr;       // match case
    QPushButton* Button1 = nullptr;       // Replace All
    QPushButton* Button2 = nullptr;       // Close

    void Button1Click();
    // Replaces in the whole text of one document; a document without an occurrence is left
    // as it was, a changed one gets its new text as one undo step.
    void ReplaceInDocument(TScrollMemo* memo, bool matchCase);

private:
    TScrollMemo* createTextBox(const char* name);
    void FormClose();

    TForm1& m_main;
};

extern TForm9* Form9;
