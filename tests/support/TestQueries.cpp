#include "TestQueries.h"

#include "app/Unit1.h"
#include "app/Unit7.h"

#include <QCoreApplication>
#include <QFile>
#include <QListWidget>
#include <QMdiSubWindow>

QStringList windowCaptions(const TForm1& form)
{
    QStringList captions;
    for (const QMdiSubWindow* window : form.DocumentWindows())
        captions << window->windowTitle();
    return captions;
}

QStringList entryCaptions(const TForm7& form)
{
    QStringList captions;
    for (int i = 0; i < form.ListView1->count(); ++i)
        captions << form.ListView1->item(i)->text();
    return captions;
}

void freeClosedWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QStringList shownMessages(const ScriptedPrompts& prompts)
{
    static const char* const kinds[] = {"Error ", "Information ", "Confirmation ", "Plain ",
                                        "Warning "};
    static const char* const buttons[] = {"Ok: ", "YesNo: ", "YesNoCancel: "};
    QStringList shown;
    for (const ShownMessage& message : prompts.messages)
        shown << QLatin1String(kinds[int(message.kind)]) +
                     QLatin1String(buttons[int(message.buttons)]) + message.text;
    return shown;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}
