#include "platform/Clock.h"

#include <QLocale>
#include <QRegularExpression>

QString LongTimeText(const QTime& time)
{
    const QLocale locale;
    // The long time format names the time zone ("t", "tttt"); leave it out.
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b\\s*"));
    const QString timeFormat = locale.timeFormat(QLocale::LongFormat).replace(zone, " ").trimmed();
    return locale.toString(time, timeFormat);
}

QString ShortDateText(const QDate& date)
{
    return QLocale().toString(date, QLocale::ShortFormat);
}

QString ShortDateLongTime(const QDateTime& when)
{
    return ShortDateText(when.date()) + u' ' + LongTimeText(when.time());
}

QString ShortDateAndTime(const QDateTime& when)
{
    const QTime time = when.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return ShortDateText(when.date());
    return ShortDateLongTime(when);
}
