#pragma once

// What the files that answer the market's families of paths share: content types and the
// reading of a request's parameters.

#include <httplib.h>

#include <QString>

namespace tickora::market {

inline constexpr const char* HtmlType = "text/html; charset=UTF-8";
inline constexpr const char* PngType = "image/png";
inline constexpr const char* TextType = "text/plain; charset=UTF-8";
inline constexpr const char* JsonType = "application/json; charset=utf-8";

/// A query parameter of a request, empty when absent.
inline QString param(const httplib::Request& req, const char* name)
{
    return QString::fromStdString(req.get_param_value(name));
}

inline std::string utf8(const QString& s)
{
    return s.toStdString();
}

} // namespace tickora::market
