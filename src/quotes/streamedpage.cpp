#include "streamedpage.h"

#include "datafields.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

bool isJsonBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

qsizetype skipBlanks(QStringView s, qsizetype i)
{
    while (i < s.size() && isJsonBlank(s[i]))
        ++i;
    return i;
}

/// The index just past the JSON string literal whose opening quote is at `from`: the first quote
/// after it that an even run of backslashes stands before. -1 when the text ends before the
/// literal closes.
qsizetype stringLiteralEnd(QStringView s, qsizetype from)
{
    for (qsizetype q = s.indexOf(u'"', from + 1); q != -1; q = s.indexOf(u'"', q + 1)) {
        qsizetype run = q; // the opening quote ends any run of backslashes
        while (s[run - 1] == u'\\')
            --run;
        if ((q - run) % 2 == 0)
            return q + 1;
    }
    return -1;
}

/// The index just past the object whose "{" is at `from`: braces are counted outside JSON
/// strings. -1 when the text ends first.
qsizetype objectEnd(QStringView s, qsizetype from)
{
    qsizetype depth = 0;
    bool inString = false;
    for (qsizetype i = from; i < s.size(); ++i) {
        const QChar c = s[i];
        if (inString) {
            if (c == u'\\')
                ++i;
            else if (c == u'"')
                inString = false;
        } else if (c == u'"') {
            inString = true;
        } else if (c == u'{') {
            ++depth;
        } else if (c == u'}' && --depth == 0) {
            return i + 1;
        }
    }
    return -1;
}

/// The string a push's array `[1, "…"]` carries, decoded by the JSON reader; empty when the
/// array does not decode.
QString pushedText(QStringView array)
{
    return QJsonDocument::fromJson(array.toUtf8()).array().at(1).toString();
}

bool hasBoard(const QJsonObject& o)
{
    return o.value(u"board").isObject();
}

bool hasIndicators(const QJsonObject& o)
{
    return o.value(u"indicators").isObject();
}

bool anyObject(const QJsonObject&)
{
    return true;
}

} // namespace

std::optional<QString> streamedPageData(QStringView page)
{
    static constexpr QStringView Name = u"__next_f";
    std::optional<QString> data;
    qsizetype from = 0;
    for (qsizetype p; (p = page.indexOf(Name, from)) >= 0;) {
        qsizetype i = p + Name.size();
        from = i;
        const auto token = [&](QStringView t) {
            i = skipBlanks(page, i);
            if (!page.sliced(i).startsWith(t))
                return false;
            i += t.size();
            return true;
        };
        if (!(token(u".") && token(u"push") && token(u"(") && token(u"[")))
            continue;
        const qsizetype array = i - 1;
        if (!(token(u"1") && token(u",") && token(u"\"")))
            continue;
        const qsizetype end = stringLiteralEnd(page, i - 1);
        if (end == -1) // the page ends inside the string: no call can follow
            return data;
        i = from = end;
        if (!token(u"]"))
            continue;
        if (!data)
            data.emplace();
        data->append(pushedText(page.sliced(array, i - array)));
    }
    return data;
}

bool mentionsStream(QStringView page)
{
    return page.contains(u"__next_f");
}

std::optional<QJsonObject> objectAfterKey(QStringView data, QStringView key,
                                          bool (*accept)(const QJsonObject&))
{
    const QString quoted = u'"' + key.toString() + u'"';
    qsizetype from = 0;
    for (qsizetype p; (p = data.indexOf(quoted, from)) >= 0;) {
        from = p + quoted.size();
        qsizetype i = skipBlanks(data, from);
        if (i >= data.size() || data[i] != u':')
            continue;
        i = skipBlanks(data, i + 1);
        if (i >= data.size() || data[i] != u'{')
            continue;
        const qsizetype end = objectEnd(data, i);
        if (end == -1)
            return std::nullopt;
        from = end;
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(data.sliced(i, end - i).toUtf8(), &error);
        if (error.error == QJsonParseError::NoError && accept(doc.object()))
            return doc.object();
    }
    return std::nullopt;
}

QuoteFields streamedQuoteFields(QStringView data)
{
    const std::optional<QJsonObject> priceBoard = objectAfterKey(data, u"priceBoard", hasBoard);
    if (!priceBoard)
        return {};
    const QJsonObject board = priceBoard->value(u"board").toObject();
    const QJsonObject detail = objectAfterKey(data, u"detailData", hasIndicators)
                                   .value_or(QJsonObject())
                                   .value(u"indicators")
                                   .toObject();

    return boardQuoteFields(board, detail, u"japanUpdateTime");
}

IndexFields streamedIndexFields(QStringView data)
{
    return indexBoardFields(
        objectAfterKey(data, u"mainDomesticIndexPriceBoard", anyObject).value_or(QJsonObject()),
        objectAfterKey(data, u"mainIndexPriceBoard", anyObject).value_or(QJsonObject()));
}

} // namespace tickora
