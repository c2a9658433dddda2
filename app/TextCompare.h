#pragma once

#include <QString>
#include <QStringView>

// The program's own comparisons of texts change the case of the letters a-z and A-Z only;
// every other character compares as it is. (Searches of the editor control keep their own
// rule.)

inline QChar AsciiUpperChar(QChar c)
{
    return c >= u'a' && c <= u'z' ? QChar(c.unicode() - u'a' + u'A') : c;
}

QString AsciiUpperCase(QStringView text);
QString AsciiLowerCase(QStringView text);
bool SameTextIgnoringAsciiCase(QStringView a, QStringView b);
// Negative, zero or positive as a sorts before, with or after b, a-z and A-Z alike.
int CompareIgnoringAsciiCase(QStringView a, QStringView b);
