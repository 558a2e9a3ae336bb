#pragma once

// One-day chart answers of the series service, for the tests of the series quote and of the pass.

#include <QByteArray>
#include <QString>

namespace tickora::test {

/// A one-day chart JSON answer with `meta` and the bars' opens.
inline QByteArray seriesJson(const QString& meta, const QString& opens = QStringLiteral("[]"))
{
    return (QStringLiteral("{\"chart\":{\"result\":[{\"meta\":{") + meta +
            QStringLiteral("},\"timestamp\":[],\"indicators\":{\"quote\":[{\"open\":") + opens +
            QStringLiteral("}]}}],\"error\":null}}"))
        .toUtf8();
}

} // namespace tickora::test
