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
inline QByteArray chartPng(QSize size, QColor fill, const QString& title = {})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(fill);
    QPainter p(&image);
    p.setPen(QPen(Qt::darkBlue, 2));
    p.drawLine(QPoint(4, size.height() - 4), QPoint(size.width() - 4, size.height() / 3));
    if (!title.isEmpty()) {
        p.setPen(Qt::black);
        p.drawText(QRect(6, 2, size.width() - 12, 20), Qt::AlignLeft | Qt::AlignTop, title);
    }
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

/// A chart a user would recognise: a frame with a price scale, a random-walk price line on
/// `fill`, and a title. The picture's top-left 8 × 8 pixels are plain `fill`.
inline QImage drawnChart(QSize size, QColor fill, const QString& title, int seed)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(fill);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect plot(34, 22, size.width() - 44, size.height() - 34);
    p.setPen(QPen(QColor(170, 170, 170), 1, Qt::DotLine));
    for (int i = 1; i < 4; ++i)
        p.drawLine(plot.left(), plot.top() + plot.height() * i / 4, plot.right(),
                   plot.top() + plot.height() * i / 4);
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(plot);
    QFont f = p.font();
    f.setPixelSize(10);
    p.setFont(f);
    for (int i = 0; i <= 4; ++i)
        p.drawText(QRect(0, plot.top() + plot.height() * i / 4 - 6, 30, 12),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(1000 + 25 * (4 - i)));
    quint32 state = quint32(seed) * 2654435761u + 1;
    double y = plot.height() / 2.0;
    QPolygonF line;
    for (int x = plot.left(); x <= plot.right(); x += 3) {
        state = state * 1664525u + 1013904223u;
        y += (double((state >> 16) % 1000) / 1000.0 - 0.5) * 6.0;
        y = qBound(4.0, y, plot.height() - 4.0);
        line << QPointF(x, plot.top() + y);
    }
    p.setPen(QPen(QColor(0, 70, 200), 1.6));
    p.drawPolyline(line);
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QRect(plot.left(), 3, plot.width(), 16), Qt::AlignLeft | Qt::AlignVCenter, title);
    p.end();
    return image;
}

inline QByteArray pngOf(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
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
