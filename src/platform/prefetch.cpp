#include "prefetch.h"

#include <QTimer>

using namespace Qt::StringLiterals;

namespace tickora {

PrefetchingHttpClient::~PrefetchingHttpClient() = default;

QString PrefetchingHttpClient::keyOf(const HttpRequest& request)
{
    QString key = request.url.toString(QUrl::FullyEncoded);
    for (const auto& [name, value] : request.headers)
        key += QLatin1Char('\n') + QString::fromLatin1(name) + QLatin1Char(':') + QString::fromLatin1(value);
    if (request.maxBodyBytes > 0)
        key += u"\ncap:"_s + QString::number(request.maxBodyBytes);
    return key;
}

void PrefetchingHttpClient::prefetch(const HttpRequest& request)
{
    auto entry = std::make_shared<Entry>();
    m_entries[keyOf(request)].append(entry);
    m_inner.get(request, &m_guard, [entry](const HttpResponse& response) {
        entry->answered = true;
        entry->response = response;
        if (entry->waiter) {
            const Waiter w = *std::exchange(entry->waiter, std::nullopt);
            if ((!w.hasContext || w.context) && w.done)
                w.done(response);
        }
    });
}

void PrefetchingHttpClient::get(const HttpRequest& request, QObject* context, Done done)
{
    const QString key = keyOf(request);
    auto it = m_entries.find(key);
    if (it == m_entries.end() || it->isEmpty()) {
        m_inner.get(request, context, std::move(done));
        return;
    }
    // The oldest prefetch of this request serves it.
    std::shared_ptr<Entry> entry = it->takeFirst();
    if (it->isEmpty())
        m_entries.erase(it);
    Waiter waiter{QPointer<QObject>(context), context != nullptr, std::move(done)};
    if (!entry->answered) {
        entry->waiter = std::move(waiter);
        return;
    }
    // Answers always arrive later, never inside get().
    QTimer::singleShot(0, &m_guard, [entry, waiter] {
        if ((!waiter.hasContext || waiter.context) && waiter.done)
            waiter.done(entry->response);
    });
}

} // namespace tickora
