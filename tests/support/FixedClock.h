#pragma once

#include "platform/Clock.h"

// A clock that shows the time the test sets.
class FixedClock final : public Clock
{
public:
    explicit FixedClock(const QDateTime& time = QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)))
        : m_time(time)
    {
    }
    QDateTime now() const override { return m_time; }
    void setNow(const QDateTime& time) { m_time = time; }

private:
    QDateTime m_time;
};
