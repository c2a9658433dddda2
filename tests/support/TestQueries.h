#pragma once

#include "ScriptedPrompts.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class TForm1;
class TForm7;

// Captions of the document windows, the active one first.
QStringList windowCaptions(const TForm1& form);
// Captions of the Open Files entries, in list order.
QStringList entryCaptions(const TForm7& form);
// Lets windows that were closed be freed, as the event loop does.
void freeClosedWindows();
// Every message shown, as "kind buttons: text".
QStringList shownMessages(const ScriptedPrompts& prompts);

bool writeFile(const QString& path, const QByteArray& bytes);
// The file's bytes, or "<unreadable>".
QByteArray readFile(const QString& path);
