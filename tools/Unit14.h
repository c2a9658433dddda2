#pragma once

#include "platform/Prompts.h"

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QToolButton;
class TForm1;
class TStrSet;

// The Favourites organiser: adds, removes and reorders the lines of favorites.ini. It works
// on the lines read at each showing; only Close writes them back, Esc and the close box
// discard them. Created once, hidden, and owned by the main window, which shows it without
// modality while keeping itself disabled.
class TForm14 final : public QDialog
{
    Q_OBJECT

public:
    TForm14(TForm1& mainWindow, Prompts& prompts);
    ~TForm14() override;

    QGroupBox* GroupBox1 = nullptr; // Add
    QLineEdit* Edit1 = nullptr;     // path of the new entry
    QLineEdit* Edit2 = nullptr;     // its description
    QPushButton* Button1 = nullptr; // Add
    QRadioButton* isfolder = nullptr;
    QRadioButton* isfile = nullptr;
    QToolButton* SpeedButton1 = nullptr; // browse for the path
    QGroupBox* GroupBox2 = nullptr;      // Organize
    QListWidget* ListBox1 = nullptr;     // the description of each line of favs, same index
    QToolButton* SpeedButton2 = nullptr; // up
    QToolButton* SpeedButton3 = nullptr; // down
    QPushButton* Button2 = nullptr;      // Remove
    QPushButton* Button3 = nullptr;      // Close
    TStrSet* favs = nullptr;             // the lines being edited

    // Fills the organiser from favorites.ini and centres it on the main window; the command
    // that shows it calls it.
    void FormShow();
    void SpeedButton1Click();
    void Button1Click();
    void Button2Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void Button3Click();

private:
    void createControls();
    void createLayout();
    void FormClose();

    TForm1& m_main;
    Prompts& m_prompts;
    FileDialogRequest m_fileRequest; // the "Select file" dialog keeps its last values
    // favorites.ini exists but could not be read, and the list has not been edited since:
    // Close leaves the file as it is rather than replace it with an empty list.
    bool m_keepFile = false;
};

extern TForm14* Form14;
