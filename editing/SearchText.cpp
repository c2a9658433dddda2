#include "editing/SearchText.h"

#include "app/TextFile.h"

QString WithCrLfBreaks(const QString& text)
{
    return crLfLineBreaks(text);
}

bool IsWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

namespace
{

bool isWordAt(QStringView text, qsizetype pos)
{
    return pos >= 0 && pos < text.size() && IsWordCharacter(text[pos]);
}

} // namespace

QList<int> AllOccurrences(QStringView text, QStringView find, bool wholeWord)
{
    QList<int> found;
    if (find.isEmpty())
        return found;
    for (qsizetype p = text.indexOf(find, 0, Qt::CaseInsensitive); p >= 0;
         p = text.indexOf(find, p + 1, Qt::CaseInsensitive)) {
        if (!wholeWord || (!isWordAt(text, p - 1) && !isWordAt(text, p + find.size())))
            found << int(p);
    }
    return found;
}

QList<int> ReplaceAllMatches(QStringView text, QStringView find, int from, bool matchCase,
                             bool wholeWord, QStringView replacement, int previousEnd)
{
    QList<int> found;
    if (find.isEmpty())
        return found;
    const Qt::CaseSensitivity cs = matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    // Whether the character before previousEnd, in the text as replaced so far, is part of
    // a word: the replacement's last character, or what stood before an empty replacement.
    bool wordBeforePreviousEnd = false;
    if (previousEnd >= 0) {
        const int previousStart = previousEnd - int(find.size());
        wordBeforePreviousEnd = replacement.isEmpty() ? isWordAt(text, previousStart - 1)
                                                      : IsWordCharacter(replacement.back());
    }
    qsizetype p = text.indexOf(find, from, cs);
    while (p >= 0) {
        const bool wordBefore = p == previousEnd ? wordBeforePreviousEnd : isWordAt(text, p - 1);
        if (wholeWord && (wordBefore || isWordAt(text, p + find.size()))) {
            p = text.indexOf(find, p + 1, cs);
            continue;
        }
        found << int(p);
        wordBeforePreviousEnd =
            replacement.isEmpty() ? wordBefore : IsWordCharacter(replacement.back());
        previousEnd = int(p + find.size());
        // The next search starts after the replacement, that is after this match.
        p = text.indexOf(find, previousEnd, cs);
    }
    return found;
}
