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

QString ShortDateAndTime(const QDateTime& when)
{
    const QTime time = when.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return QLocale().toString(when.date(), QLocale::ShortFormat);
    return ShortDateLongTime(when);
}
