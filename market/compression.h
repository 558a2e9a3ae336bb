#pragma once

#include <string>
#include <string_view>

namespace tickora::market {

/// Whether an Accept-Encoding header admits gzip: "gzip" (or "x-gzip", or "*") among its codings
/// without a weight of zero ("gzip;q=0" refuses it).
bool acceptsGzip(std::string_view acceptEncoding);

/// `data` compressed in the gzip format at zlib's default level.
std::string gzipCompress(std::string_view data);

/// Whether answers of a content type are worth compressing: text, HTML and JSON, not pictures.
bool isCompressibleType(std::string_view contentType);

} // namespace tickora::market
