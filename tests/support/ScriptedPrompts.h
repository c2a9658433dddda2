#pragma once

#include "platform/Prompts.h"

#include <QList>
#include <QQueue>

#include <optional>

struct ShownMessage {
    MessageKind kind;
    QString text;
    MessageButtons buttons;
};

struct FolderRequest {
    QString title;
    QString startFolder;
};

struct InputRequest {
    QString caption;
    QString prompt;
    QString initialValue;
};

// Answers every prompt from queues that the test fills beforehand, and records what was
// asked so that tests can compare the exact texts. A prompt nobody queued an answer for
// fails the running test and is answered as cancelled, so a test never waits on a dialog.
class ScriptedPrompts final : public Prompts
{
public:
    // ---- Answers, taken in the order queued ----
    void answerMessage(Answer answer) { m_messageAnswers.enqueue(answer); }
    // An empty list cancels the dialog.
    void answerOpenFiles(const QStringList& files, int filterIndex = 1);
    // An empty name cancels the dialog.
    void answerSaveFile(const QString& file, int filterIndex = 1);
    void answerFolder(const QString& folder) { m_folderAnswers.enqueue(folder); }
    // nullopt cancels the dialog.
    void answerFont(const std::optional<FontChoice>& font) { m_fontAnswers.enqueue(font); }
    void answerInput(const std::optional<QString>& value) { m_inputAnswers.enqueue(value); }
    void answerPageSetup(bool accepted) { m_pageSetupAnswers.enqueue(accepted); }

    // Answers queued but not asked for yet.
    int pendingAnswers() const;

    // ---- What was shown, in order ----
    QList<ShownMessage> messages;
    QList<FileDialogRequest> openRequests;
    QList<FileDialogRequest> saveRequests;
    QList<FolderRequest> folderRequests;
    QList<FontChoice> fontRequests; // the font each dialog started from
    QList<InputRequest> inputRequests;
    int pageSetupRequests = 0;

    // ---- Prompts ----
    Answer message(MessageKind kind, const QString& text, MessageButtons buttons) override;
    FileDialogResult openFiles(const FileDialogRequest& request, bool multiple) override;
    FileDialogResult saveFile(const FileDialogRequest& request) override;
    QString chooseFolder(const QString& title, const QString& startFolder) override;
    bool chooseFont(FontChoice& choice, int minSize, int maxSize) override;
    bool inputBox(const QString& caption, const QString& prompt, QString& value) override;
    bool pageSetup(QPrinter& printer) override;

private:
    QQueue<Answer> m_messageAnswers;
    QQueue<FileDialogResult> m_openAnswers;
    QQueue<FileDialogResult> m_saveAnswers;
    QQueue<QString> m_folderAnswers;
    QQueue<std::optional<FontChoice>> m_fontAnswers;
    QQueue<std::optional<QString>> m_inputAnswers;
    QQueue<bool> m_pageSetupAnswers;
};
