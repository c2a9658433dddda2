#pragma once

#include "platform/Platform.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QMdiSubWindow;
class QPushButton;
class QRadioButton;
class TForm1;

// The Open With dialog: hands the active document to a program the user picks or types,
// either as a preview file written from its text or as its own file after saving it. The
// programs used are remembered in openwith.ini, read at every showing and written at every
// closing. Created once, hidden, and owned by the main window, which shows it without modality
// while keeping itself disabled; the program and the mode stay as the user left them.
class TForm8 final : public QDialog
{
    Q_OBJECT

public:
    TForm8(TForm1& mainWindow, Platform& platform);
    ~TForm8() override;

    QComboBox* ComboBox1 = nullptr;       // the program; its list holds the remembered ones
    QPushButton* Button1 = nullptr;       // Browse
    QRadioButton* RadioButton1 = nullptr; // create and use preview file
    QRadioButton* RadioButton2 = nullptr; // save and use original
    QPushButton* Button2 = nullptr;       // Open
    QPushButton* Button3 = nullptr;       // Close
    QString PreviewTarget;                // the file handed to the program by the last Open

    // Fills the list from openwith.ini; the command that shows the dialog calls it.
    void FormShow();
    void Button1Click();
    void Button2Click();
    void Button3Click();

private:
    void createControls();
    void createLayout();
    void FormCreate();
    void setPrograms(const QStringList& programs);
    QStringList programs() const;
    void writePreview(QMdiSubWindow* window);
    void SaveForOpenWith(QMdiSubWindow* window);
    void startProgram(const QString& program, const QString& workingFolder);
    void FormClose();

    TForm1& m_main;
    Platform& m_platform;
    // openwith.ini exists but could not be read, and no program has been added since: closing
    // leaves the file as it is rather than replace it with the list shown.
    bool m_keepFile = false;
};

extern TForm8* Form8;
