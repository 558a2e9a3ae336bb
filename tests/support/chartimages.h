#pragma once

// Chart pictures and series drawn by the tests, and pictures a hostile service may send.

#include "charts/dayprices.h"
#include "charts/seriesreader.h"
#include "support/fakes.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QTimeZone>

namespace tickora::test {

inline QByteArray pngOf(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

/// A PNG of the given size filled with `fill`, with a dark diagonal price line.
inline QByteArray chartPng(QSize size, QColor fill)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(fill);
    QPainter p(&image);
    p.setPen(QPen(Qt::darkBlue, 2));
    p.drawLine(QPoint(4, size.height() - 4), QPoint(size.width() - 4, size.height() / 3));
    p.end();
    return pngOf(image);
}

/// Pictures a hostile service may send: tiny bodies that would decode to hundreds of MB, and
/// a format that is no chart picture.
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
/// A chart JSON body: the day from 9:00 to 9:25 in 5-minute bars, or a year of days before `day`.
inline QByteArray seriesJson(const QString& symbol, bool intraday, QDate day)
{
    PriceSeries s;
    s.symbol = symbol;
    s.gmtOffset = TokyoGmtOffset;
    s.previousClose = 1000;
    for (int i = 0; i < (intraday ? 6 : 250); ++i) {
        const QDateTime at = intraday ? QDateTime(day, QTime(9, 5 * i), QTimeZone::utc())
                                      : QDateTime(day.addDays(i - 250), QTime(0, 0), QTimeZone::utc());
        const qint64 t = at.toSecsSinceEpoch() - TokyoGmtOffset; // Tokyo time
        const double p = 1000 + (i % 7) * 3;
        s.bars.append({t, p, p + 2, p - 2, p + 1, 1000});
    }
    return chartJsonFromSeries(s);
}

} // namespace tickora::test
