#pragma once

#include <QString>
#include <QStringList>

// The file-type filters of the Open, Insert File and Save As dialogs. In memory and in
// tavro.ini a filter is one string of description and pattern pairs joined by "|"
// ("Text documents|*.txt|HTML files|*.htm*"); the Preferences dialog lists it as one entry
// a pair, "Text documents [*.txt]".

// The entry that the filter pages never remove.
inline const QString AllFilesEntry = QStringLiteral("All files (*.*) [*.*]");

// description + " [" + pattern + "]".
QString FilterEntry(const QString& description, const QString& pattern);

// One entry per pair, in order. A last part without its partner is dropped ("A|*.a|B"
// gives "A [*.a]"); an empty string gives no entry.
QStringList FilterEntries(const QString& filter);

// The pairs of the entries joined by "|", without a "|" at the end. An entry's description
// is what stands before its first "[" less the blank in front of it, its pattern what
// follows that "[" less the closing "]".
QString FilterString(const QStringList& entries);

// Whether a description and a pattern can make an entry: the description is not empty,
// the pattern holds a "."; neither holds "|", "[" or "]".
bool IsValidFilter(const QString& description, const QString& pattern);

// A pattern that starts with "." gets "*" in front of it: ".log" becomes "*.log".
QString CompletedPattern(const QString& pattern);
