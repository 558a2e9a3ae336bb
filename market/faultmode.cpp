#include "faultmode.h"

using namespace Qt::StringLiterals;

namespace tickora::market {

std::optional<FaultMode> FaultMode::parse(const QString& text)
{
    const QString t = text.trimmed().toLower();
    FaultMode m;
    auto number = [&](const QString& prefix, int lo, int hi) -> std::optional<int> {
        bool ok = false;
        const int n = t.mid(prefix.size()).toInt(&ok);
        if (!ok || n < lo || n > hi)
            return std::nullopt;
        return n;
    };
    if (t == u"none"_s || t.isEmpty()) {
        m.kind = Kind::None;
    } else if (t.startsWith(u"status:"_s)) {
        const QStringList parts = t.split(u':');
        bool ok = false;
        const int n = parts.value(1).toInt(&ok);
        if (!ok || parts.size() > 3 || n < 200 || n > 599)
            return std::nullopt;
        m.kind = Kind::Status;
        m.status = n;
        if (parts.size() == 3) {
            const int seconds = parts[2].toInt(&ok);
            if (!ok || seconds < 0 || seconds > 86400)
                return std::nullopt;
            m.retryAfter = seconds;
        }
    } else if (t == u"hang"_s) {
        m.kind = Kind::Hang;
    } else if (t == u"reset"_s) {
        m.kind = Kind::Reset;
    } else if (t == u"garbage"_s) {
        m.kind = Kind::Garbage;
    } else if (t.startsWith(u"huge:"_s)) {
        const auto n = number(u"huge:"_s, 1, 4096);
        if (!n)
            return std::nullopt;
        m.kind = Kind::Huge;
        m.megabytes = *n;
    } else if (t == u"drip"_s) {
        m.kind = Kind::Drip;
    } else {
        return std::nullopt;
    }
    return m;
}

QString FaultMode::toString() const
{
    switch (kind) {
    case Kind::None:
        return u"none"_s;
    case Kind::Status:
        return u"status:"_s + QString::number(status) +
               (retryAfter >= 0 ? u":"_s + QString::number(retryAfter) : QString());
    case Kind::Hang:
        return u"hang"_s;
    case Kind::Reset:
        return u"reset"_s;
    case Kind::Garbage:
        return u"garbage"_s;
    case Kind::Huge:
        return u"huge:"_s + QString::number(megabytes);
    case Kind::Drip:
        return u"drip"_s;
    }
    return {};
}

std::optional<QList<FaultMode>> parseFaultMix(const QString& text)
{
    QList<FaultMode> out;
    for (const QString& part : text.split(u',', Qt::SkipEmptyParts)) {
        const auto m = FaultMode::parse(part);
        if (!m || m->kind == FaultMode::Kind::None)
            return std::nullopt;
        out.append(*m);
    }
    return out;
}

} // namespace tickora::market
