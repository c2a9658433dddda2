#pragma once

#include <QDialog>
#include <QLabel>

class QPlainTextEdit;
class QPushButton;
class Shell;
class TForm1;

// A text that works as a link: a click, or Enter or Space once it has the focus from the
// keyboard, emits clicked. It is reached with Tab and shows the focus with a frame.
class TLinkLabel final : public QLabel
{
    Q_OBJECT

public:
    TLinkLabel(const QString& text, QWidget* parent);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

// The address of the download page and the mail box of bug reports, as set for the build.
QString DownloadPageAddress();
QString BugMailbox();

// The About window: name, version, picture and notice, and the links to the download page
// and to a new mail message. Created once, hidden, and owned by the main window, which shows
// it without modality while keeping itself disabled.
class TForm2 final : public QDialog
{
    Q_OBJECT

public:
    TForm2(TForm1& mainWindow, Shell& shell);
    ~TForm2() override;

    QLabel* Image1 = nullptr;
    QLabel* Label3 = nullptr;        // name and version
    QWidget* Panel1 = nullptr;       // disabled, so that the notice takes neither focus nor input
    QPlainTextEdit* Memo1 = nullptr; // the notice
    TLinkLabel* Label1 = nullptr;    // to the download page
    TLinkLabel* Label2 = nullptr;    // to a new mail message
    QPushButton* Button1 = nullptr;  // OK

    void Label1Click();
    void Label2Click();
    void Button1Click();

protected:
    // Each showing is centred on the screen, with the focus on OK.
    void showEvent(QShowEvent* event) override;

private:
    void createPicture();
    void createTexts();
    void createLinksAndButton();
    void FormClose();

    TForm1& m_main;
    Shell& m_shell;
};

extern TForm2* Form2;
