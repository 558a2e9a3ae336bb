#include "datafields.h"

#include "exchange/numbertext.h"

#include <QLocale>
#include <QVariant>

#include <cmath>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype MaxFieldChars = 256;

/// A JSON number as plain decimal text; empty for values that are not finite.
std::optional<QString> numberText(const QJsonValue& v)
{
    const QVariant variant = v.toVariant();
    if (variant.typeId() == QMetaType::LongLong)
        return QString::number(variant.toLongLong());
    const double d = v.toDouble();
    if (!std::isfinite(d))
        return std::nullopt;
    if (d == 0)
        return u"0"_s; // also for -0
    return QString::number(d, 'f', QLocale::FloatingPointShortest);
}

std::optional<QString> plainValueText(const QJsonValue& v)
{
    if (v.isString()) {
        QString s = v.toString();
        if (s.startsWith(u'$'))
            return std::nullopt;
        return s;
    }
    if (v.isDouble()) {
        std::optional<QString> t = numberText(v);
        if (t && t->size() > MaxFieldChars)
            return std::nullopt;
        return t;
    }
    return std::nullopt;
}

} // namespace

QString cellTextFromPage(const QString& field)
{
    QString text = field.left(MaxFieldChars);
    // Never end on half of a surrogate pair.
    if (text.size() == MaxFieldChars && text.back().isHighSurrogate())
        text.chop(1);
    for (QChar& c : text) {
        const QChar::Category cat = c.category();
        if (cat == QChar::Other_Control || cat == QChar::Separator_Line || cat == QChar::Separator_Paragraph)
            c = u' ';
    }
    return text;
}

std::optional<QString> dataValueText(const QJsonValue& v)
{
    return plainValueText(v.isObject() ? v.toObject().value(u"value") : v);
}

QString textField(const QJsonValue& v)
{
    return cellTextFromPage(dataValueText(v).value_or(QString()));
}

QString numericField(const QJsonValue& v)
{
    const std::optional<QString> t = dataValueText(v);
    return t && t->size() <= MaxFieldChars && isNumericText(*t) ? *t : u"0"_s;
}

std::optional<QString> changeField(const QJsonValue& v)
{
    const std::optional<QString> t = dataValueText(v);
    if (!t || !isNumericText(*t))
        return std::nullopt;
    QString s = signedChange(*t);
    if (s.size() > MaxFieldChars)
        return std::nullopt;
    return s;
}

QString timeField(const QJsonValue& v)
{
    // Checked on the text as the cell will show it, so a cut never leaves a time without ':' or '/'.
    const QString time = cellTextFromPage(dataValueText(v).value_or(QString()));
    return time.contains(u':') || time.contains(u'/') ? time : QString();
}

QString boardCodeOf(const QJsonObject& board)
{
    QString code = textField(board.value(u"code")).trimmed();
    if (code.isEmpty())
        code = textField(board.value(u"codeWithMarketExtension")).trimmed();
    const qsizetype dot = code.lastIndexOf(u'.');
    return dot > 0 ? code.first(dot) : code;
}

QString shortNameOf(QString name)
{
    name.remove(u"(株)"_s);
    name.remove(u"（株）"_s);
    return name.trimmed();
}

IndexFields indexBoardFields(const QJsonObject& domesticBoard, const QJsonObject& olderBoard)
{
    IndexFields f;
    if (const QJsonValue prices = domesticBoard.value(u"indexPrices"); prices.isObject()) {
        const QJsonObject board = prices.toObject();
        f.price = textField(board.value(u"price"));
        f.change = changeField(board.value(u"changePrice")).value_or(QString());
        f.time = textField(board.value(u"japanUpdateTime"));
        f.boardCode = boardCodeOf(board);
    } else {
        const QJsonValue inner = olderBoard.value(u"priceBoard");
        const QJsonObject board = inner.isObject() ? inner.toObject() : olderBoard;
        f.price = textField(board.value(u"price"));
        f.change = changeField(board.value(u"priceChange")).value_or(QString());
        f.time = textField(board.value(u"priceDateTime"));
        f.boardCode = boardCodeOf(board);
    }
    f.found = isNumericText(f.price);
    return f;
}

QuoteFields boardQuoteFields(const QJsonObject& board, const QJsonObject& detail, QStringView timeKey)
{
    QuoteFields q;
    q.isDetailPage = true;
    q.name = textField(board.value(u"name"));
    const QString shortName = textField(board.value(u"shortName"));
    q.shortName = shortName.isEmpty() ? shortNameOf(q.name) : shortName;
    q.price = textField(board.value(u"price"));
    q.change = changeField(board.value(u"priceChange")).value_or(u"0"_s);
    q.open = numericField(detail.value(u"openPrice"));
    q.high = numericField(detail.value(u"highPrice"));
    q.low = numericField(detail.value(u"lowPrice"));
    q.volume = numericField(detail.value(u"volume"));
    q.prevClose = textField(detail.value(u"previousPrice"));
    q.time = timeField(board.value(timeKey));
    q.boardCode = boardCodeOf(board);
    return q;
}

} // namespace tickora
