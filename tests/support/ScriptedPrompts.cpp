#include "ScriptedPrompts.h"

#include <QTest>

namespace
{

// The next queued answer; without one the running test fails and `cancelled` is returned.
template <typename T> T takeAnswer(QQueue<T>& answers, const QString& prompt, const T& cancelled)
{
    if (answers.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("Unplanned prompt: ") + prompt), __FILE__, __LINE__);
        return cancelled;
    }
    return answers.dequeue();
}

} // namespace

void ScriptedPrompts::answerOpenFiles(const QStringList& files, int filterIndex)
{
    m_openAnswers.enqueue(FileDialogResult{files, filterIndex});
}

void ScriptedPrompts::answerSaveFile(const QString& file, int filterIndex)
{
    m_saveAnswers.enqueue(
        FileDialogResult{file.isEmpty() ? QStringList() : QStringList{file}, filterIndex});
}

int ScriptedPrompts::pendingAnswers() const
{
    return int(m_messageAnswers.size() + m_openAnswers.size() + m_saveAnswers.size() +
               m_folderAnswers.size() + m_fontAnswers.size() + m_inputAnswers.size() +
               m_pageSetupAnswers.size());
}

Answer ScriptedPrompts::message(MessageKind kind, const QString& text, MessageButtons buttons)
{
    messages << ShownMessage{kind, text, buttons};
    const Answer cancelled = buttons == MessageButtons::Ok      ? Answer::Ok
                             : buttons == MessageButtons::YesNo ? Answer::No
                                                                : Answer::Cancel;
    return takeAnswer(m_messageAnswers, QStringLiteral("message \"%1\"").arg(text), cancelled);
}

FileDialogResult ScriptedPrompts::openFiles(const FileDialogRequest& request, bool multiple)
{
    Q_UNUSED(multiple);
    openRequests << request;
    return takeAnswer(m_openAnswers, QStringLiteral("open dialog \"%1\"").arg(request.title),
                      FileDialogResult{});
}

FileDialogResult ScriptedPrompts::saveFile(const FileDialogRequest& request)
{
    saveRequests << request;
    return takeAnswer(m_saveAnswers, QStringLiteral("save dialog \"%1\"").arg(request.title),
                      FileDialogResult{});
}

QString ScriptedPrompts::chooseFolder(const QString& title, const QString& startFolder)
{
    folderRequests << FolderRequest{title, startFolder};
    return takeAnswer(m_folderAnswers, QStringLiteral("folder chooser \"%1\"").arg(title),
                      QString());
}

bool ScriptedPrompts::chooseFont(FontChoice& choice, int minSize, int maxSize)
{
    Q_UNUSED(minSize);
    Q_UNUSED(maxSize);
    fontRequests << choice;
    const std::optional<FontChoice> answer =
        takeAnswer(m_fontAnswers, QStringLiteral("font dialog"), std::optional<FontChoice>());
    if (!answer)
        return false;
    choice = *answer;
    return true;
}

bool ScriptedPrompts::inputBox(const QString& caption, const QString& prompt, QString& value)
{
    inputRequests << InputRequest{caption, prompt, value};
    const std::optional<QString> answer = takeAnswer(
        m_inputAnswers, QStringLiteral("input box \"%1\"").arg(prompt), std::optional<QString>());
    if (!answer)
        return false;
    value = *answer;
    return true;
}

bool ScriptedPrompts::pageSetup(QPrinter& printer)
{
    Q_UNUSED(printer);
    ++pageSetupRequests;
    return takeAnswer(m_pageSetupAnswers, QStringLiteral("page setup"), false);
}
