#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

class QFileDialog;
class QPrinter;
class QWidget;

// Every question the program asks the user goes through this seam, so that tests can
// answer it and read the exact texts shown.
// Plain: no icon, for texts that are neither errors nor questions (a macro's message).
enum class MessageKind { Error, Information, Confirmation, Plain, Warning };
enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };

struct FileDialogRequest {
    QString title;
    QString filter;        // "Text documents|*.txt|All files|*.*"
    int filterIndex = 1;   // 1-based, as the filter string counts its pairs
    QString folder;        // initial folder; empty = the dialog's own choice
    QString fileName;      // initial file name (save dialogs)
    QString defaultSuffix; // save dialogs: added to a name given without one, before the
                           // overwrite check
};

struct FileDialogResult {
    QStringList files; // empty when cancelled; in the order the dialog gives them
    int filterIndex = 1;
    bool accepted() const { return !files.isEmpty(); }
};

struct FontChoice {
    QFont font;
    QColor color;
};

class Prompts
{
public:
    virtual ~Prompts() = default;

    // A CR inside the text is shown as a line break.
    virtual Answer message(MessageKind kind, const QString& text, MessageButtons buttons) = 0;
    virtual FileDialogResult openFiles(const FileDialogRequest& request, bool multiple) = 0;
    virtual FileDialogResult saveFile(const FileDialogRequest& request) = 0;
    // Returns the chosen folder, or an empty string when cancelled.
    virtual QString chooseFolder(const QString& title, const QString& startFolder) = 0;
    // Fonts offered are existing ones in the sizes minSize..maxSize; false when cancelled.
    virtual bool chooseFont(FontChoice& choice, int minSize, int maxSize) = 0;
    // false when cancelled; value holds the initial text and receives the answer.
    virtual bool inputBox(const QString& caption, const QString& prompt, QString& value) = 0;
    // The page setup dialog for the printer; false when cancelled.
    virtual bool pageSetup(QPrinter& printer) = 0;
};

// Converts a filter string of description and pattern pairs joined by "|" into the
// name filters of a Qt file dialog ("Text documents (*.txt)"); "*.*" becomes "*", every
// file. A dialog shows them by their descriptions only (HideNameFilterDetails).
QStringList qtNameFilters(const QString& filter);
// Gives a file dialog the filters, file name and suffix of the request.
void SetUpFileDialog(QFileDialog& dialog, const FileDialogRequest& request);

// The dialogs and message boxes of the desktop.
class DesktopPrompts final : public Prompts
{
public:
    explicit DesktopPrompts(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    Answer message(MessageKind kind, const QString& text, MessageButtons buttons) override;
    FileDialogResult openFiles(const FileDialogRequest& request, bool multiple) override;
    FileDialogResult saveFile(const FileDialogRequest& request) override;
    QString chooseFolder(const QString& title, const QString& startFolder) override;
    bool chooseFont(FontChoice& choice, int minSize, int maxSize) override;
    bool inputBox(const QString& caption, const QString& prompt, QString& value) override;
    bool pageSetup(QPrinter& printer) override;

private:
    QWidget* m_parent;
};
