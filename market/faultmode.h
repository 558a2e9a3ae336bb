#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace tickora::market {

/// How the market misbehaves on purpose.
struct FaultMode
{
    enum class Kind
    {
        None,
        Status,
        Hang,
        Reset,
        Garbage,
        Huge,
        Drip
    };
    Kind kind = Kind::None;
    int status = 0;      ///< for Status
    int retryAfter = -1; ///< for Status: the Retry-After seconds it sends; none when negative
    int megabytes = 0;   ///< for Huge

    /// Reads "none", "status:NNN" (200..599) or "status:NNN:SECONDS" (with Retry-After, 0..86400),
    /// "hang", "reset", "garbage", "huge:MB" (1..4096) or "drip".
    static std::optional<FaultMode> parse(const QString& text);
    QString toString() const;
    bool operator==(const FaultMode&) const = default;
};

/// Reads a comma-separated list of fault modes (none of them "none"); nothing when any is unreadable.
std::optional<QList<FaultMode>> parseFaultMix(const QString& text);

} // namespace tickora::market
