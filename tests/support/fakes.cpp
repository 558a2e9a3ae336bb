#include "fakes.h"

#include <QTimer>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace tickora::test {

void FakeHttpClient::get(const HttpRequest& request, QObject* context, Done done)
{
    requests.append(request);
    Pending p{request, QPointer<QObject>(context), context != nullptr, std::move(done), false};
    if (m_holding) {
        pending.push_back(std::move(p));
        return;
    }
    QTimer::singleShot(0, &m_guard, [this, p] { deliver(p, responseFor(p.request)); });
}

void FakeHttpClient::serve(const QString& needle, const QByteArray& body, int status,
                           const QByteArray& contentType)
{
    if (!m_served.contains(needle))
        m_servedOrder.append(needle);
    m_served.insert(needle, {status, body, contentType, {}, {}});
}

void FakeHttpClient::releaseAll()
{
    // Answers may send new requests, which grow the list and stay held: walk the requests held
    // now by index, on copies.
    for (size_t i = 0, heldNow = pending.size(); i < heldNow; ++i)
        if (!std::exchange(pending[i].answered, true)) {
            const Pending p = pending[i];
            deliver(p, responseFor(p.request));
        }
}

bool FakeHttpClient::answer(const QString& needle, const HttpResponse& response)
{
    for (Pending& held : pending) {
        if (held.answered || !held.request.url.toString().contains(needle))
            continue;
        held.answered = true;
        const Pending p = held;
        deliver(p, response);
        return true;
    }
    return false;
}

int FakeHttpClient::unanswered() const
{
    return int(std::count_if(pending.begin(), pending.end(), [](const Pending& p) { return !p.answered; }));
}

HttpResponse FakeHttpClient::responseFor(const HttpRequest& request) const
{
    if (m_handler)
        return m_handler(request);
    HttpResponse response{404, {}, {}, {}, {}};
    const QString target = request.url.toString();
    for (const QString& needle : m_servedOrder)
        if (target.contains(needle))
            response = m_served.value(needle);
    return response;
}

void FakeHttpClient::deliver(const Pending& p, const HttpResponse& response)
{
    if (p.hasContext && !p.context)
        return;
    if (p.done)
        p.done(response);
}

void FakeDialogs::message(QWidget*, const QString& title, const QString& text, Icon icon)
{
    shown.append({title, text, icon, false});
    whileOpen();
}

bool FakeDialogs::question(QWidget*, const QString& title, const QString& text)
{
    shown.append({title, text, Icon::None, true});
    whileOpen();
    return answers.isEmpty() ? true : answers.takeFirst();
}

FakeServices::FakeServices()
{
    config.dataDir = dataDir.path();
    const QUrl market(u"http://market.test"_s);
    config.quoteBase = config.chartBase = config.nikkeiBase = config.nikkeiChartBase = market;
    config.marketDataBase = config.brokerBase = config.fxBase = config.seriesBase = market;
    // The window tests serve pages in the markup of 2012 unless they ask for today's, and download
    // their charts as images unless they ask for drawn ones.
    config.quotePages = QuotePages::Pages2012;
    config.charts = ChartSource::Images;
}

Services FakeServices::services() const
{
    auto* self = const_cast<FakeServices*>(this);
    // In the order of the members; each has a type of its own, so a wrong order does not compile.
    return {config,          &self->http,     &self->downloader, &self->sound,
            &self->notifier, &self->pictures, &self->screen,     &self->printer,
            &self->help,     &self->dialogs,  &self->clock,      &self->instance};
}

} // namespace tickora::test
