#include "compression.h"

#include <zlib.h>

#include <QByteArray>
#include <QList>

namespace tickora::market {

bool acceptsGzip(std::string_view acceptEncoding)
{
    const QList<QByteArray> codings =
        QByteArray(acceptEncoding.data(), qsizetype(acceptEncoding.size())).split(',');
    for (const QByteArray& coding : codings) {
        const QList<QByteArray> parts = coding.split(';');
        const QByteArray name = parts.first().trimmed().toLower();
        if (name != "gzip" && name != "x-gzip" && name != "*")
            continue;
        bool refused = false;
        for (qsizetype i = 1; i < parts.size(); ++i) {
            const QByteArray parameter = parts[i].trimmed().toLower();
            if (parameter.startsWith("q="))
                refused = parameter.mid(2).toDouble() <= 0;
        }
        if (!refused)
            return true;
    }
    return false;
}

std::string gzipCompress(std::string_view data)
{
    z_stream stream{};
    // 15 window bits, plus 16 for the gzip header and trailer instead of zlib's.
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    std::string out(deflateBound(&stream, uLong(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return result == Z_STREAM_END ? out : std::string();
}

bool isCompressibleType(std::string_view contentType)
{
    return contentType.starts_with("text/") || contentType.starts_with("application/json");
}

} // namespace tickora::market
