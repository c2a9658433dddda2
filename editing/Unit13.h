#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

// Find and Highlight: colours every occurrence of a text in the active document. Modeless,
// above other windows, and it keeps its text for the program's run.
class TForm13 final : public QDialog
{
    Q_OBJECT

public:
    explicit TForm13(QWidget* parent = nullptr);
    ~TForm13() override;

    QLineEdit* Edit1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

    void Button1Click();
    // Opens the dialog centred on the screen; an open one stays where it is. (A showing by
    // the window system does not move it.)
    void Open();
};

extern TForm13* Form13;
