#pragma once

// Pages that stream their data to their script, built in the site's shape: the pushes, the stream of
// a stock's page and its ordinary board and day's figures.

#include <QJsonArray>
#include <QJsonDocument>
#include <QString>
#include <QStringList>

namespace tickora::test {

/// `text` as the JSON string literal a push carries, with "&", "<" and ">" escaped as the site does.
inline QString literal(const QString& text)
{
    using namespace Qt::StringLiterals;
    const QString array = QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact));
    return array.mid(1, array.size() - 2)
        .replace(u"&"_s, u"\\u0026"_s)
        .replace(u"<"_s, u"\\u003c"_s)
        .replace(u">"_s, u"\\u003e"_s);
}

/// A page streaming `pieces`, one push each, after markup that holds `markup`.
inline QString streamedPage(const QStringList& pieces,
                            const QString& markup = QStringLiteral("<h2>株価詳細値</h2>"))
{
    using namespace Qt::StringLiterals;
    QString page = u"<html><body><main>"_s + markup +
                   u"</main><script>(self.__next_f=self.__next_f||[]).push([0])</script>"_s;
    for (const QString& p : pieces)
        page += u"<script>self.__next_f.push([1,"_s + literal(p) + u"])</script>"_s;
    return page + u"</body></html>"_s;
}

/// A stream in the site's shape; `board` and `indicators` are the members of those objects.
inline QString stockStream(const QString& board, const QString& indicators)
{
    using namespace Qt::StringLiterals;
    return u"0:{\"P\":null}\n5:T1c,{\"priceBoard\":{\"board\":5} \"\n"
           "6:[\"$\",\"$L25\",null,{\"preloadedStore\":{\"bbs\":{\"x\":\"}{\\\"\"},\"priceBoard\":"
           "{\"currentKey\":\"detail\",\"board\":{%1},\"navItems\":[]}}}]\n"
           "34:[\"$\",\"section\",null,{\"detailData\":\"$34:props:children:1:props:detailData\"}]\n"
           "35:{\"detailData\":{\"isApiError\":false,\"indicators\":{%2}}}\n"_s.arg(board, indicators);
}

/// The members of the ordinary price board, and of the ordinary day's figures.
inline const QString OrdinaryBoard =
    QStringLiteral(R"j("name":"ａｋｉｐｐａ(株)","code":"627A","price":{"value":"1,637"},)j"
                   R"j("priceChange":{"value":"300"},"japanUpdateTime":"9:49","delayMinutes":0)j");
inline const QString OrdinaryIndicators = QStringLiteral(
    R"("previousPrice":{"name":"前日終値","value":"1,337"},"openPrice":{"value":"1,367"},)"
    R"("highPrice":{"value":"1,637"},"lowPrice":{"value":"1,350"},"volume":{"value":"27,485,000"})");

} // namespace tickora::test
