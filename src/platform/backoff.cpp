#include "backoff.h"

#include <QLocale>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace tickora {

namespace {

/// A whole number of seconds, as Retry-After writes it: digits only.
std::optional<qint64> delaySeconds(QByteArrayView text)
{
    if (text.isEmpty())
        return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9')
            return std::nullopt;
    // More digits than any hold needs: as long as a hold may be.
    return text.size() > 9 ? MaxRetryAfterSeconds : text.toLongLong();
}

} // namespace

QDateTime retryAfterTime(QByteArrayView retryAfter, const QDateTime& now)
{
    const QByteArrayView text = retryAfter.trimmed();
    qint64 seconds = DefaultRetryAfterSeconds;
    if (const std::optional<qint64> delay = delaySeconds(text)) {
        seconds = *delay;
    } else if (!text.isEmpty()) {
        // An HTTP date, e.g. "Wed, 21 Oct 2026 07:28:00 GMT"; Qt reads its zone as an offset.
        QString date = QString::fromLatin1(text);
        if (date.endsWith(u" GMT"_s))
            date = date.chopped(4) + u" +0000"_s;
        const QDateTime at = QDateTime::fromString(date, Qt::RFC2822Date);
        if (at.isValid())
            seconds = qMax<qint64>(0, now.secsTo(at));
    }
    return now.addSecs(qMin(seconds, MaxRetryAfterSeconds));
}

QString holdMessage(const QDateTime& until)
{
    return u"取得制限中 "_s + until.time().toString(u"HH:mm:ss"_s) + u" まで"_s;
}

QString ServiceBackoff::keyOf(const QUrl& url)
{
    return url.host().toLower() + u':' + QString::number(url.port(url.scheme() == u"https" ? 443 : 80));
}

bool ServiceBackoff::holds(const QUrl& url, const QDateTime& now) const
{
    const auto it = m_until.constFind(keyOf(url));
    return it != m_until.constEnd() && now < *it;
}

QDateTime ServiceBackoff::until(const QUrl& url) const
{
    return m_until.value(keyOf(url));
}

bool ServiceBackoff::noteAnswer(const QUrl& url, int status, QByteArrayView retryAfter, const QDateTime& now)
{
    if (!isOverloadStatus(status))
        return false;
    const bool wasHeld = holds(url, now);
    const QDateTime next = retryAfterTime(retryAfter, now);
    QDateTime& until = m_until[keyOf(url)];
    until = until.isValid() ? std::max(until, next) : next;
    return !wasHeld && now < until;
}

} // namespace tickora
