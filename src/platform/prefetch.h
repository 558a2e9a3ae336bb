#pragma once

#include "httpclient.h"

#include <QHash>
#include <QPointer>

#include <optional>

#include <memory>

namespace tickora {

/// An HttpClient that can start requests ahead of the code that will ask for them. A later get()
/// of the same address and headers takes the prefetched answer (waiting for it when it is still in
/// flight) instead of asking again; each prefetch serves one get(). Everything else passes through.
class PrefetchingHttpClient : public HttpClient
{
public:
    explicit PrefetchingHttpClient(HttpClient& inner) : m_inner(inner) {}
    ~PrefetchingHttpClient() override;

    void prefetch(const HttpRequest& request);
    void get(const HttpRequest& request, QObject* context, Done done) override;
    /// Forgets prefetched answers nobody asked for.
    void clear() { m_entries.clear(); }
    int pending() const
    {
        int n = 0;
        for (const auto& list : m_entries)
            n += int(list.size());
        return n;
    }

private:
    struct Waiter
    {
        QPointer<QObject> context;
        bool hasContext = false;
        Done done;
    };
    struct Entry
    {
        bool answered = false;
        HttpResponse response;
        std::optional<Waiter> waiter;
    };
    static QString keyOf(const HttpRequest& request);

    HttpClient& m_inner;
    QObject m_guard;
    QHash<QString, QList<std::shared_ptr<Entry>>> m_entries; // oldest first
};

} // namespace tickora
