#include "fakes.h"

#include <QTimer>

namespace tickora::test {

void FakeHttpClient::get(const HttpRequest& request, QObject* context, Done done)
{
    requests.append(request);
    ++inFlight;
    maxInFlight = qMax(maxInFlight, inFlight);
    Pending p{request, QPointer<QObject>(context), context != nullptr, std::move(done)};
    if (m_holding) {
        m_heldQueue.append(std::move(p));
        return;
    }
    QTimer::singleShot(m_delayMs, &m_guard, [this, p] { answer(p); });
}

void FakeHttpClient::serve(const QString& needle, const QByteArray& body, int status, const QByteArray& contentType)
{
    HttpResponse r;
    r.status = status;
    r.body = body;
    r.contentType = contentType;
    if (!m_served.contains(needle))
        m_servedOrder.append(needle);
    m_served.insert(needle, r);
}

void FakeHttpClient::releaseAll()
{
    const QList<Pending> queue = std::exchange(m_heldQueue, {});
    for (const Pending& p : queue)
        answer(p);
}

void FakeHttpClient::answer(const Pending& p)
{
    --inFlight;
    if (p.hasContext && !p.context)
        return;
    HttpResponse response;
    if (m_handler) {
        response = m_handler(p.request);
    } else {
        response.status = 404;
        const QString target = p.request.url.toString();
        for (const QString& needle : m_servedOrder)
            if (target.contains(needle))
                response = m_served.value(needle);
    }
    if (p.done)
        p.done(response);
}

void FakeDialogs::message(QWidget*, const QString& title, const QString& text, Icon icon)
{
    shown.append({title, text, icon, false});
    maxOpen = qMax(maxOpen, ++open);
    if (whileOpen)
        whileOpen();
    --open;
}

bool FakeDialogs::question(QWidget*, const QString& title, const QString& text)
{
    shown.append({title, text, Icon::None, true});
    maxOpen = qMax(maxOpen, ++open);
    if (whileOpen)
        whileOpen();
    --open;
    return answers.isEmpty() ? true : answers.takeFirst();
}

FakeServices::FakeServices()
{
    config.dataDir = dataDir.path();
    const QUrl market(QStringLiteral("http://market.test"));
    config.quoteBase = config.chartBase = config.nikkeiBase = config.nikkeiChartBase = market;
    config.marketDataBase = config.brokerBase = config.fxBase = market;
}

Services FakeServices::services() const
{
    auto* self = const_cast<FakeServices*>(this);
    Services s;
    s.config = config;
    s.http = &self->http;
    s.downloader = &self->downloader;
    s.sound = &self->sound;
    s.pictures = &self->pictures;
    s.screen = &self->screen;
    s.printer = &self->printer;
    s.help = &self->help;
    s.dialogs = &self->dialogs;
    s.clock = &self->clock;
    s.instance = &self->instance;
    return s;
}

} // namespace tickora::test
