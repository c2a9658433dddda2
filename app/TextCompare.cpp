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

int CompareIgnoringAsciiCase(QStringView a, QStringView b)
{
    const qsizetype common = qMin(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t left = AsciiUpperChar(a[i]).unicode();
        const char16_t right = AsciiUpperChar(b[i]).unicode();
        if (left != right)
            return left < right ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}
