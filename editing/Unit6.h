#pragma once

#include <QDialog>

class QButtonGroup;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class TForm1;

// The Copy Special and Paste Special dialog: text changed on its way to or from the
// clipboard. The command that opens it sets its caption, its action button's caption and
// its page; the action button's caption alone decides which of the two runs. Created once,
// owned by the main window, keeping its choices for the program's run.
class TForm6 final : public QDialog
{
    Q_OBJECT

public:
    enum Page { PastePage = 0, CopyPage = 1 };
    enum PasteChoice { UpperCase = 0, LowerCase = 1, PasteRemove = 2, StripHtmlTags = 3 };
    enum CopyChoice { AppendText = 0, RemoveBreaks = 1, CopyRemove = 2, HighlightedOnly = 3 };

    explicit TForm6(TForm1& mainWindow);
    ~TForm6() override;

    QStackedWidget* Notebook1 = nullptr;
    QButtonGroup* RadioGroup1 = nullptr; // Before pasting
    QLineEdit* Edit2 = nullptr;          // removed before pasting
    QButtonGroup* RadioGroup2 = nullptr; // When copying
    QLineEdit* Edit1 = nullptr;          // removed when copying
    QPushButton* Button1 = nullptr;      // "Paste" or "Copy"
    QPushButton* Button2 = nullptr;      // Cancel

    // Sets the caption, the action button's caption and the page for a command.
    void Prepare(const QString& caption, const QString& action, Page page);
    void Button1Click();

private:
    QWidget* createPage(const char* name, const QString& title, const QStringList& choices,
                        QButtonGroup*& group, QLineEdit*& removed);
    void FormClose();
    void pasteTransformed(const QString& data);
    void copyTransformed(const QString& data);

    TForm1& m_main;
};

extern TForm6* Form6;
