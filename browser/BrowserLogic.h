#pragma once

#include <QString>
#include <QStringView>

struct Volume;

// The text rules of the file browser.

// The extension of a file name with its dot, a-z upper-cased (".TXT"); empty for a name
// without a dot.
QString UpperExtension(QStringView fileName);
// A file is listed unless its extension occurs anywhere in the excluded extensions
// (".DOC,.EXE"): ".HTM" is excluded by ".HTML" too. A name without an extension is always
// listed.
bool IsListedFile(QStringView fileName, QStringView excludedExtensions);

// A volume label as the drive box shows it: first character upper case, the rest lower
// case, then a blank; empty when the label could not be read.
QString VolumeLabelText(const QString& label, bool readable);
// The caption of a volume in the drive box: its label text, then its root in parentheses.
QString DriveCaption(const Volume& volume);
// The root folder that a drive caption names: the text after its first "(" up to the next
// ")"; empty when there is no "(".
QString DriveOfCaption(const QString& caption);

// The folder with a "/" at its end.
QString WithTrailingSlash(const QString& folder);
