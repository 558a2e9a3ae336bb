// The control paths under /_control/: fault, latency, fault rate and status.

#include "routes.h"
#include "server.h"

using namespace Qt::StringLiterals;

namespace tickora::market {

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
