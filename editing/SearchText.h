#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// Searching a whole text given with CR LF line breaks, as the editor control gives it out.

// The text with every line break (CR LF, CR or LF) written as CR LF.
QString WithCrLfBreaks(const QString& text);

// Whether c counts as part of a word for the whole-word rule.
bool IsWordCharacter(QChar c);

// Every occurrence of find in text, overlapping ones included (the next search starts one
// character after the last match), ignoring case, optionally whole words only.
QList<int> AllOccurrences(QStringView text, QStringView find, bool wholeWord);

// The matches that replacing find by replacement from position from to the end replaces,
// one after the other: each search starts right after the previous replacement, so a
// replacement is never searched again; the whole-word rule sees the replacement's last
// character before a match that follows right after it. previousEnd, when not -1, is the
// end of a replacement made just before from.
QList<int> ReplaceAllMatches(QStringView text, QStringView find, int from, bool matchCase,
                             bool wholeWord, QStringView replacement, int previousEnd = -1);
