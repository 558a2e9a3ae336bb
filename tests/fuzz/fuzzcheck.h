#pragma once

// Property checks inside fuzz targets: a broken property is reported and aborts, so libFuzzer
// keeps the input that broke it as a crash.

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace tickora::fuzz {

inline void check(bool ok, const char* what, const QString& detail = {})
{
    if (ok)
        return;
    std::fprintf(stderr, "property broken: %s\n  %s\n", what, detail.toUtf8().constData());
    std::abort();
}

} // namespace tickora::fuzz
