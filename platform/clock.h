#pragma once

#include <QDateTime>
#include <QString>

// The local date and time, and their conversion to text with the regional
// formats. Qt's locale formats carry a time zone name (long time) or slashes
// (short date), which no two-character entry field could ever match, so the
// formats are the Chinese desktop defaults unless a caller sets others.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;

    void setTimeFormat(const QString &format) { m_timeFormat = format; }
    void setDateFormat(const QString &format) { m_dateFormat = format; }

    // The time of day in whole seconds, as text: 9:05:00, 14:30:00.
    QString timeText() const { return now().time().toString(m_timeFormat); }
    // Today's date as text: 2004-12-25.
    QString dateText() const { return now().date().toString(m_dateFormat); }

private:
    QString m_timeFormat = QStringLiteral("H:mm:ss");
    QString m_dateFormat = QStringLiteral("yyyy-M-d");
};

class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};
