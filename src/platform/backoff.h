#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QUrl>

namespace tickora {

/// True for the answers a service gives when it is overloaded or refuses to be asked so often.
constexpr bool isOverloadStatus(int status)
{
    return status == 429 || status == 503;
}

/// The longest hold a Retry-After value is taken for: a broken or hostile value must not stop
/// the quotes for the rest of the day.
constexpr qint64 MaxRetryAfterSeconds = 3600;
/// The hold when the answer names none, or names one that cannot be read.
constexpr qint64 DefaultRetryAfterSeconds = 60;

/// When a service that answered 429 or 503 may be asked again. `retryAfter` is the answer's
/// Retry-After value: a number of seconds or an HTTP date. Absent or unreadable: 60 seconds.
/// A date in the past means at once; every hold is cut to an hour.
QDateTime retryAfterTime(QByteArrayView retryAfter, const QDateTime& now);

/// The status-line text for a hold until `until`: "取得制限中 HH:MM:SS まで", in the zone `until` is in.
QString holdMessage(const QDateTime& until);

/// Remembers, per host, until when a service asked not to be asked again.
class ServiceBackoff
{
public:
    /// True while requests to the host of `url` must wait.
    bool holds(const QUrl& url, const QDateTime& now) const;
    /// The end of the hold on the host of `url`; invalid when none was ever set.
    QDateTime until(const QUrl& url) const;
    /// Takes note of an answer from `url`. Returns true when it starts a hold on a host that was
    /// not held at `now` (the moment to tell the user once); false for every other answer.
    bool noteAnswer(const QUrl& url, int status, QByteArrayView retryAfter, const QDateTime& now);

private:
    static QString keyOf(const QUrl& url);
    QHash<QString, QDateTime> m_until;
};

} // namespace tickora
