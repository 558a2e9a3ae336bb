#pragma once

// Chart pictures drawn by the tests, and an HTTP client whose answers the test gives by hand.

#include "platform/httpclient.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPointer>

#include <vector>

namespace tickora::test {

/// A PNG of the given size filled with `fill`, with a dark diagonal price line.
inline QByteArray chartPng(QSize size, QColor fill)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(fill);
    QPainter p(&image);
    p.setPen(QPen(Qt::darkBlue, 2));
    p.drawLine(QPoint(4, size.height() - 4), QPoint(size.width() - 4, size.height() / 3));
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

/// Pictures a hostile service may send: tiny bodies that would decode to hundreds of MB, and
/// formats that are no chart picture.
inline QByteArray tinyGif(quint16 width, quint16 height) // 35 bytes, whatever size it declares
{
    const QByteArray w = QByteArray(1, char(width & 0xFF)) + char(width >> 8);
    const QByteArray h = QByteArray(1, char(height & 0xFF)) + char(height >> 8);
    return "GIF89a" + w + h + QByteArray("\x80\0\0\0\0\0\xFF\xFF\xFF\x2C\0\0\0\0", 14) + w + h +
           QByteArray("\0\x02\x02\x44\x01\0\x3B", 7);
}
inline QByteArray gifBomb() // a tiny GIF declaring 5000 x 5000 pixels
{
    return tinyGif(5000, 5000);
}
inline QByteArray svgPicture()
{
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4000\" height=\"4000\">"
           "<rect width=\"4000\" height=\"4000\" fill=\"red\"/></svg>";
}
inline HttpResponse okResponse(const QByteArray& body)
{
    HttpResponse r;
    r.status = 200;
    r.body = body;
    r.contentType = "image/png";
    return r;
}

/// Holds every request until the test answers it, in any order it likes.
class ManualHttpClient : public HttpClient
{
public:
    void get(const HttpRequest& request, QObject* context, Done done) override
    {
        pending.push_back({request, QPointer<QObject>(context), std::move(done), false});
    }
    /// Answers the request whose address contains `needle` (the first unanswered one).
    bool answer(const QString& needle, const HttpResponse& response)
    {
        for (Pending& p : pending) {
            if (!p.answered && p.request.url.toString().contains(needle)) {
                p.answered = true;
                // `done` may send new requests, which can move the list: keep copies.
                const Done done = p.done;
                const bool alive = p.context != nullptr;
                if (alive)
                    done(response);
                return true;
            }
        }
        return false;
    }
    int unanswered() const
    {
        int n = 0;
        for (const Pending& p : pending)
            n += p.answered ? 0 : 1;
        return n;
    }

    struct Pending
    {
        HttpRequest request;
        QPointer<QObject> context;
        Done done;
        bool answered;
    };
    std::vector<Pending> pending;
};

} // namespace tickora::test
