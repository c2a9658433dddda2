#pragma once

#include <QString>

// The desktop's clipboard holds LF line breaks; the program's texts have CR LF. Texts cross
// between the two here, and only here.

// The clipboard's text with CR LF line breaks.
QString ClipboardText();
// Puts a text with CR LF line breaks on the clipboard, with LF ones.
void SetClipboardText(const QString& text);
