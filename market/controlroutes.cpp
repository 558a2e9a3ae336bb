// The control paths under /_control/: fault, latency, fault rate, time form, quote pages and status.

#include "routes.h"
#include "server.h"
#include "timeforms.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace tickora::market {

void MarketServer::setQuotePage(const QString& code, const QString& page)
{
    std::lock_guard lock(m_quotePagesMutex);
    if (page.isEmpty() || page == u"normal"_s)
        m_quotePages.remove(code.toUpper());
    else
        m_quotePages.insert(code.toUpper(), page);
}

QString MarketServer::quotePageOf(const QString& code) const
{
    std::lock_guard lock(m_quotePagesMutex);
    return m_quotePages.value(code.toUpper());
}

void MarketServer::handleControl(const httplib::Request& req, httplib::Response& res)
{
    const QString path = QString::fromStdString(req.path);
    auto reply = [&](int status, const QString& text) {
        res.status = status;
        res.set_content(utf8(text + u'\n'), TextType);
    };
    if (path == u"/_control/fault"_s) {
        if (req.has_param("mode")) {
            const auto mode = FaultMode::parse(param(req, "mode"));
            if (!mode)
                return reply(400, u"unknown fault mode: "_s + param(req, "mode"));
            setFault(*mode, param(req, "path"));
        }
        std::lock_guard lock(m_faultMutex);
        return reply(200, u"fault="_s + m_fault.toString() + u" path="_s + m_faultPath);
    }
    if (path == u"/_control/latency"_s) {
        if (req.has_param("ms")) {
            bool ok = false;
            const int ms = param(req, "ms").toInt(&ok);
            if (!ok || ms < 0)
                return reply(400, u"bad latency: "_s + param(req, "ms"));
            setLatency(ms);
        }
        return reply(200, u"latency_ms="_s + QString::number(m_latencyMs.load()));
    }
    if (path == u"/_control/fault-rate"_s) {
        bool ok = false;
        const double p = param(req, "p").toDouble(&ok);
        if (!ok || p < 0 || p > 1)
            return reply(400, u"bad fault rate: "_s + param(req, "p"));
        const auto mix = parseFaultMix(param(req, "mix"));
        if (!mix)
            return reply(400, u"bad fault mix: "_s + param(req, "mix"));
        setFaultRate(p, *mix);
        return reply(200, u"fault_rate="_s + QString::number(p));
    }
    if (path == u"/_control/time-form"_s) {
        if (req.has_param("form")) {
            const auto form = parseTimeForm(param(req, "form"));
            if (!form)
                return reply(400, u"unknown time form: "_s + param(req, "form"));
            setTimeForm(*form);
        }
        return reply(200, u"time_form="_s + timeFormName(timeForm()));
    }
    if (path == u"/_control/quote-page"_s) {
        const QString code = param(req, "code"), page = param(req, "page");
        // The other code goes into the page's data and markup as it stands: letters, digits and dots only.
        static const QRegularExpression codeForm(u"^[0-9A-Za-z.]{1,10}$"_s);
        const bool other = page.startsWith(u"other:"_s) && codeForm.match(page.mid(6)).hasMatch();
        if (code.isEmpty() || code.size() > 16)
            return reply(400, u"bad code: "_s + code);
        if (!other && page != u"unknown"_s && page != u"normal"_s && !page.isEmpty())
            return reply(400, u"unknown quote page: "_s + page);
        if (page == u"unknown"_s && code == u"998407.O"_s)
            return reply(400, u"the index page has no unknown form"_s);
        setQuotePage(code, page);
        return reply(200, u"quote_page "_s + code + u"="_s + (page.isEmpty() ? u"normal"_s : page));
    }
    if (path == u"/_control/status"_s) {
        std::lock_guard lock(m_faultMutex);
        QStringList mix;
        for (const FaultMode& m : std::as_const(m_faultMix))
            mix.append(m.toString());
        res.set_content(utf8(u"{\"fault\":\""_s + m_fault.toString() + u"\",\"path\":\""_s + m_faultPath +
                             u"\",\"latency_ms\":"_s + QString::number(m_latencyMs.load()) +
                             u",\"fault_rate\":"_s + QString::number(m_faultRate) + u",\"fault_mix\":\""_s +
                             mix.join(u',') + u"\",\"held\":"_s + QString::number(m_held.load()) +
                             u",\"requests\":"_s + QString::number(m_requests.load()) + u"}\n"_s),
                        "application/json");
        return;
    }
    reply(404, u"unknown control: "_s + path);
}

} // namespace tickora::market
