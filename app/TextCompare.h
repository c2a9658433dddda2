#pragma once

#include <QString>
#include <QStringView>

// The program's own comparisons of texts change the case of the letters a-z and A-Z only;
// every other character compares as it is. (Searches of the editor control keep their own
// rule.)

QString AsciiUpperCase(QStringView text);
bool SameTextIgnoringAsciiCase(QStringView a, QStringView b);
