#include "app/TextCompare.h"

namespace
{

QChar asciiLower(QChar c)
{
    return c >= u'A' && c <= u'Z' ? QChar(c.unicode() - u'A' + u'a') : c;
}

template <typename Change> QString eachCharacter(QStringView text, Change change)
{
    QString result(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        result[i] = change(text[i]);
    return result;
}

} // namespace

QString AsciiUpperCase(QStringView text)
{
    return eachCharacter(text, [](QChar c) { return AsciiUpperChar(c); });
}

QString AsciiLowerCase(QStringView text)
{
    return eachCharacter(text, asciiLower);
}

bool SameTextIgnoringAsciiCase(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (AsciiUpperChar(a[i]) != AsciiUpperChar(b[i]))
            return false;
    }
    return true;
}
