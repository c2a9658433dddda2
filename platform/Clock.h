#pragma once

#include <QDateTime>

// The current time; fixed in tests.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// The locale's long time (with seconds, without the time zone) and short date.
QString LongTimeText(const QTime& time);
QString ShortDateText(const QDate& date);
// The locale's short date and long time (with seconds, without the time zone), separated
// by a blank: the time stamp of .LOG files and of Time/Date.
QString ShortDateLongTime(const QDateTime& when);
// The same, but the date alone at midnight exactly.
QString ShortDateAndTime(const QDateTime& when);
