#include "platform/Clock.h"

#include <QLocale>
#include <QRegularExpression>

QString ShortDateLongTime(const QDateTime& when)
{
    const QLocale locale;
    // The long time format names the time zone ("t", "tttt"); leave it out.
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b\\s*"));
    const QString timeFormat = locale.timeFormat(QLocale::LongFormat).replace(zone, " ").trimmed();
    return locale.toString(when.date(), QLocale::ShortFormat) + u' ' +
           locale.toString(when.time(), timeFormat);
}
