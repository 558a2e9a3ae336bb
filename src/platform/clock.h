#pragma once

#include <QDate>
#include <QDateTime>

namespace tickora {

/// The computer's clock: the moment now, in the computer's own zone.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    /// The computer's own date.
    QDate today() const { return now().date(); }
};

class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace tickora
