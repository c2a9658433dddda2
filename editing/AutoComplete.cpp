#include "editing/AutoComplete.h"

#include "app/Numbers.h"
#include "app/TextCompare.h"
#include "app/TextFile.h"

namespace
{

constexpr qint32 SmallestAddedSampleSize = 2;

// The text's first 55 characters and "..."; a character of two halves is not cut in two.
QString shortened(const QString& text)
{
    qsizetype length = ShownTextLength;
    if (text.size() > length && text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length) + QStringLiteral("...");
}

} // namespace

CompletionEntry SplitCompletionEntry(const QString& entry)
{
    const qsizetype at = entry.indexOf(ListFieldSeparator());
    if (at < 0)
        return {entry, QString()};
    return {entry.left(at), entry.mid(at + ListFieldSeparator().size())};
}

QString MakeCompletionEntry(qint32 sampleSize, const QString& text)
{
    return QString::number(sampleSize) + ListFieldSeparator() + text;
}

QString CompletionDisplayText(const QString& entry)
{
    const QString text = SplitCompletionEntry(entry).text;
    return entry.size() <= ShownTextLength ? text : shortened(text);
}

QString AddedDisplayText(const QString& text)
{
    return text.size() <= ShownTextLength ? text : shortened(text);
}

qint32 AddedSampleSize(QStringView sizeField, QStringView text)
{
    const qint32 asked = ReadInteger(sizeField).value_or(SmallestAddedSampleSize);
    const qint32 size = qMax(asked, SmallestAddedSampleSize);
    // Shorter than size, the text's length fits in 32 bits.
    return text.size() < size ? qint32(text.size()) - 1 : size;
}

qint64 CompletionPrefixLength(QStringView sample, QStringView text, qint64 sampleSize)
{
    if (sampleSize <= 0 || sample.isEmpty())
        return 0;
    const qsizetype found = text.indexOf(sample);
    if (found < 0)
        return 0;
    // found is 0-based: the prefix ends where the occurrence of the sample size ends.
    return found + qMax(sampleSize, qint64(sample.size()));
}

QStringView CompletionPrefix(QStringView text, qint64 prefixLength)
{
    return text.left(qsizetype(qMin(prefixLength, qint64(text.size()))));
}

bool TypedMatchesPrefix(QStringView typed, QStringView prefix)
{
    return !prefix.isEmpty() && SameTextIgnoringAsciiCase(typed, prefix);
}
