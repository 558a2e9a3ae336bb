#pragma once

#include <QNetworkReply>
#include <QString>

namespace tickora {

/// Why a request got no answer, in Japanese, for the user: one text for each kind of failure
/// (refused, no such host, time-out, reset, TLS, proxy, broken answer). `detail` is the
/// network library's own text; only the reason a secure connection failed keeps it, in
/// parentheses, since it names the certificate's fault.
QString transportErrorText(QNetworkReply::NetworkError error, const QString& detail = {});

} // namespace tickora
