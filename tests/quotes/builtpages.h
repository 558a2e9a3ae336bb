#pragma once

// Quote pages built on the recorded fixtures of tests/quotes/data: a page in a form no reader knows,
// a board's time in another form, a streamed index page.

#include "support/files.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QString>

namespace tickora::test {

/// A fixture of tests/quotes/data, from any test directory.
inline QString quoteDataFile(const QString& name)
{
    return QString::fromUtf8(
        readFile(QDir::cleanPath(QStringLiteral(TICKORA_TEST_DATA "/../../quotes/data/") + name)));
}

/// `page` with `from` replaced by `to`; the fixture must hold `from`.
inline QString replacedIn(QString page, const QString& from, const QString& to)
{
    if (!page.contains(from))
        qFatal("fixture lacks %s", qPrintable(from));
    return page.replace(from, to);
}

/// The recorded streamed page of 7203 (board code "7203", price "2,648.5", time "10:47").
inline QString streamed7203()
{
    return quoteDataFile(QStringLiteral("today/2026/7203.T.html"));
}

/// The streamed page of 7203 with its board's time written `time`.
inline QString streamed7203At(const QString& time)
{
    return replacedIn(streamed7203(), QStringLiteral(R"(japanUpdateTime\":\"10:47\")"),
                      QStringLiteral(R"(japanUpdateTime\":\")") + time + QStringLiteral("\\\""));
}

/// The recorded page's shell with its data carried in a form no reader knows: no stream, no
/// state, no 2012 price cell, the invisible heading "株価詳細値" still in the markup.
inline QString unknownFormPage()
{
    QString page = streamed7203();
    page.remove(QRegularExpression(QStringLiteral("<script>[^<]*__next_f[^<]*</script>")));
    return page.replace(QStringLiteral("</body>"),
                        QStringLiteral("<script type=\"application/json\" id=\"__DATA__\">"
                                       "{\"quote\":{\"price\":\"2,648.5\"}}</script></body>"));
}

/// The board of a streamed Nikkei page, dated 2026/09/18 15:30.
inline const QString StreamedNikkeiBoard =
    QStringLiteral(R"("code":"998407.O","name":"日経平均株価","price":"66,364.20","changePrice":"850.21",)"
                   R"("japanUpdateTime":"2026/09/18 15:30")");

/// A streamed index page whose board is `board` (the members of `indexPrices`).
inline QString streamedIndexPage(const QString& board = StreamedNikkeiBoard)
{
    const QString row =
        QStringLiteral("7:[\"$\",\"$L25\",null,{\"preloadedStore\":{\"mainDomesticIndexPriceBoard\":"
                       "{\"indexPrices\":{%1}}}}]\n")
            .arg(board);
    const QString array = QString::fromUtf8(QJsonDocument(QJsonArray{row}).toJson(QJsonDocument::Compact));
    return QStringLiteral("<html><body><h2>株価詳細値</h2><script>(self.__next_f=self.__next_f||[]).push([0])"
                          "</script><script>self.__next_f.push([1,") +
           array.mid(1, array.size() - 2) + QStringLiteral("])</script></body></html>");
}

} // namespace tickora::test
