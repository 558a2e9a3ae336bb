#include "httpclient.h"

#include <QStringDecoder>

namespace tickora {

namespace {

QByteArray charsetOf(const QByteArray& contentType)
{
    const QList<QByteArray> parts = contentType.split(';');
    for (const QByteArray& part : parts) {
        const QByteArray p = part.trimmed();
        if (p.toLower().startsWith("charset=")) {
            QByteArray cs = p.mid(8).trimmed().toLower();
            // A quote on either side is taken off on its own: servers send "x", 'x', and now and
            // then a value with one quote only; the name inside is what counts.
            if (cs.startsWith('"') || cs.startsWith('\''))
                cs.remove(0, 1);
            if (cs.endsWith('"') || cs.endsWith('\''))
                cs.chop(1);
            return cs.trimmed();
        }
    }
    return {};
}

} // namespace

QByteArray HttpResponse::header(QByteArrayView name) const
{
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

QString decodeBody(const QByteArray& body, const QByteArray& contentType)
{
    const QByteArray cs = charsetOf(contentType);
    const char* name = "UTF-8";
    if (cs == "shift_jis" || cs == "shift-jis" || cs == "sjis" || cs == "x-sjis" || cs == "cp932" ||
        cs == "windows-31j" || cs == "ms932")
        name = "Shift_JIS";
    else if (cs == "euc-jp" || cs == "x-euc-jp" || cs == "eucjp")
        name = "EUC-JP";
    QStringDecoder decoder(name);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    return decoder.decode(body);
}

QString HttpResponse::text() const
{
    return decodeBody(body, contentType);
}

} // namespace tickora
