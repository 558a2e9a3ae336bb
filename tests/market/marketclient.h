#pragma once

// What the market's tests share: a client that asks a running market for a path.

#include <httplib.h>

#include <QByteArray>
#include <QString>

namespace tickora::market::test {

/// The market's answer to a GET of `path`, read within ten seconds.
inline httplib::Result fetch(int port, const std::string& path)
{
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(10, 0);
    return client.Get(path);
}

/// The body of an answer as text, empty when there was none.
inline QString bodyOf(const httplib::Result& r)
{
    return r ? QString::fromStdString(r->body) : QString();
}

/// The body of a GET of `path`, and its status in `status` when asked (0: no answer).
inline QString fetchBody(int port, const std::string& path, int* status = nullptr)
{
    const httplib::Result r = fetch(port, path);
    if (status)
        *status = r ? r->status : 0;
    return bodyOf(r);
}

} // namespace tickora::market::test
