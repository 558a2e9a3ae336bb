#pragma once

// Chart pictures drawn by the tests, and pictures a hostile service may send.

#include "support/fakes.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QPainter>

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
inline QByteArray svgzPicture() // svgPicture() gzipped
{
    return QByteArray("\x1F\x8B\x08\x00\x00\x00\x00\x00\x02\x03\x7D\x8C\x5B\x0A\x80\x20\x10\x00\xAF\xB2\xEC"
                      "\x01\x5C\xA9\xBE\x42\xBD\x4C\x9A\x0A\xF6\x40\x97\xB6\xE3\x67\xD0\x77\x9F\x33\x0C\x63"
                      "\xDA\x15\xE1\xDE\xCA\xDE\x2C\x26\xE6\x73\x26\x12\x11\x25\xA3\x3A\x6A\xA4\x41\x6B\x4D"
                      "\xBD\x40\x90\xEC\x39\x59\x9C\xBA\x40\x48\x21\xC7\xC4\x1F\x39\x53\xC3\xC2\x3F\x01\xAC"
                      "\xB9\x14\x8B\x35\x78\x24\x67\xDE\x9D\x7B\x00\x71\x41\x2C\x79\x76\x00\x00\x00",
                      103);
}

} // namespace tickora::test
