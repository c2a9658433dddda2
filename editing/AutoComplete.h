#pragma once

#include <QString>
#include <QStringView>

// The auto-complete list as plain text: an entry is the sample size in decimal, the list
// field separator and the completion text. Shift+Enter completes the text before the caret
// with the rest of the first entry whose sample (the last characters typed) occurs in its
// completion text and whose text up to that occurrence ends the typed text.

struct CompletionEntry {
    QString sampleSize; // the field before the first separator, as written
    QString text;       // everything after it
};

// Splits at the first separator; without one, the whole entry is the sample-size field.
CompletionEntry SplitCompletionEntry(const QString& entry);
QString MakeCompletionEntry(qint32 sampleSize, const QString& text);

// The longest text the dialog's list shows whole; longer ones show their start and "...".
inline constexpr qsizetype ShownTextLength = 55;

// The list's text for an entry: its completion text when the whole entry is shorter than 56
// characters, else the completion text's first 55 and "...".
QString CompletionDisplayText(const QString& entry);
// The list's text for a text just added: the text when shorter than 56, else as above.
QString AddedDisplayText(const QString& text);

// The sample size of a text being added, from the size field: 2 unless it reads as an
// integer; at least 2; one less than the text's length when the text is shorter.
qint32 AddedSampleSize(QStringView sizeField, QStringView text);

// The length of the completion text's prefix that must end the typed text: up to and
// including the first exact occurrence of the sample, whose size was asked for as
// sampleSize (a sample that came out longer, so as not to split a character, counts whole).
// 0 when the sample does not occur; an empty sample occurs nowhere, so an entry whose
// sample size is 0 or less never applies. It may exceed the text's length.
qint64 CompletionPrefixLength(QStringView sample, QStringView text, qint64 sampleSize);

// The first prefixLength characters of the text (all of it when it is shorter).
QStringView CompletionPrefix(QStringView text, qint64 prefixLength);
// The typed text equals the prefix, letters a-z compared without regard to case; an empty
// prefix (no occurrence of the sample) matches nothing.
bool TypedMatchesPrefix(QStringView typed, QStringView prefix);
