#include "editing/ClipboardText.h"

#include "app/TextFile.h"

#include <QClipboard>
#include <QGuiApplication>

QString ClipboardText()
{
    return crLfLineBreaks(QGuiApplication::clipboard()->text());
}

void SetClipboardText(const QString& text)
{
    QString lfText = text;
    normalizeLineBreaks(lfText);
    QGuiApplication::clipboard()->setText(lfText);
}
