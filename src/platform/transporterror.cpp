#include "transporterror.h"

namespace tickora {

using namespace Qt::StringLiterals;

QString transportErrorText(QNetworkReply::NetworkError error, const QString& detail)
{
    using E = QNetworkReply::NetworkError;
    switch (error) {
    case E::ConnectionRefusedError:
        return u"接続を拒否されました（サーバーが動いていないか、ポートが違います）"_s;
    case E::RemoteHostClosedError:
        return u"サーバーが応答の途中で接続を切りました"_s;
    case E::HostNotFoundError:
        return u"サーバーが見つかりません（名前を解決できません）"_s;
    case E::TimeoutError:
    case E::OperationCanceledError:
        return u"時間内に応答がありませんでした"_s;
    case E::SslHandshakeFailedError:
        return detail.isEmpty() ? u"安全な接続（TLS）を確立できませんでした"_s
                                : u"安全な接続（TLS）を確立できませんでした（%1）"_s.arg(detail);
    case E::TemporaryNetworkFailureError:
    case E::NetworkSessionFailedError:
    case E::BackgroundRequestNotAllowedError:
        return u"ネットワークにつながっていません"_s;
    case E::TooManyRedirectsError:
    case E::InsecureRedirectError:
        return u"転送先をたどれませんでした"_s;
    case E::ProxyConnectionRefusedError:
    case E::ProxyConnectionClosedError:
    case E::ProxyNotFoundError:
    case E::ProxyTimeoutError:
    case E::ProxyAuthenticationRequiredError:
    case E::UnknownProxyError:
        return u"プロキシを通して接続できませんでした"_s;
    case E::ProtocolFailure:
    case E::ProtocolUnknownError:
    case E::ProtocolInvalidOperationError:
        return u"サーバーの応答が壊れています"_s;
    case E::NoError:
        return {};
    default:
        return u"通信に失敗しました（エラー番号 %1）"_s.arg(int(error));
    }
}

} // namespace tickora
