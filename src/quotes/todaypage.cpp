#include "todaypage.h"

#include "refreshpass.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>
#include <QLocale>
#include <QVariant>

#include <cmath>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype MaxFieldChars = 256;

bool isJsBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v';
}

/// The object text that `script` assigns to the state, or empty when the script does not
/// assign it. The assignment may follow blank lines and "//" comment lines.
std::optional<QStringView> assignedStateText(QStringView script)
{
    static constexpr QStringView Target = u"window.__PRELOADED_STATE__";
    const qsizetype n = script.size();
    qsizetype i = 0;
    for (;;) {
        while (i < n && isJsBlank(script[i]))
            ++i;
        if (!script.sliced(i).startsWith(u"//"))
            break;
        const qsizetype eol = script.indexOf(u'\n', i);
        if (eol == -1) // the comment runs to the end: nothing is assigned
            return std::nullopt;
        i = eol + 1;
    }
    if (!script.sliced(i).startsWith(Target))
        return std::nullopt;
    i += Target.size();
    while (i < n && isJsBlank(script[i]))
        ++i;
    if (i >= n || script[i] != u'=' || (i + 1 < n && script[i + 1] == u'='))
        return std::nullopt;
    ++i;
    qsizetype end = n;
    while (end > i && isJsBlank(script[end - 1]))
        --end;
    if (end > i && script[end - 1] == u';')
        --end;
    return script.sliced(i, end - i).trimmed();
}

/// A JSON number as plain decimal text: integers exactly, other values in their shortest
/// round-trip form without an exponent. Empty for values that are not finite.
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

/// The display text of a state value: a string as it stands, a number as its decimal text;
/// empty for every other type and for a number whose text would not fit a field.
std::optional<QString> valueText(const QJsonValue& v)
{
    if (v.isString())
        return v.toString();
    if (v.isDouble()) {
        std::optional<QString> t = numberText(v);
        if (t && t->size() > MaxFieldChars)
            return std::nullopt;
        return t;
    }
    return std::nullopt;
}

/// A text field of the page: control and line-separator characters become blanks, and the text
/// is capped, the same treatment a cell gives any text cut from a page.
QString shownText(const QString& text)
{
    return cellTextFromPage(text);
}

/// A field that must be numeric: the value's text when it is numeric and fits, else "0".
QString numericOrZero(const QJsonValue& v)
{
    const std::optional<QString> t = valueText(v);
    return t && t->size() <= MaxFieldChars && isNumericText(*t) ? *t : u"0"_s;
}

/// A change field: the numeric value with its sign written, or empty when there is none.
std::optional<QString> changeText(const QJsonValue& v)
{
    const std::optional<QString> t = valueText(v);
    if (!t || !isNumericText(*t))
        return std::nullopt;
    QString s = signedChange(*t);
    if (s.size() > MaxFieldChars)
        return std::nullopt;
    return s;
}

QString companyFormRemoved(QString name)
{
    name.remove(u"(株)"_s);
    name.remove(u"（株）"_s);
    return name.trimmed();
}

} // namespace

std::optional<EmbeddedState> findEmbeddedState(QStringView page)
{
    static constexpr QStringView Open = u"<script";
    static constexpr QStringView Close = u"</script";
    const qsizetype n = page.size();
    qsizetype from = 0;
    for (;;) {
        const qsizetype open = page.indexOf(Open, from, Qt::CaseInsensitive);
        if (open < 0)
            return std::nullopt;
        const qsizetype afterName = open + Open.size();
        // "<scripts" or "<script-x" is another tag.
        if (afterName < n && page[afterName] != u'>' && page[afterName] != u'/' &&
            !isJsBlank(page[afterName])) {
            from = afterName;
            continue;
        }
        const qsizetype tagEnd = page.indexOf(u'>', afterName);
        if (tagEnd == -1)
            return std::nullopt;
        const qsizetype textFrom = tagEnd + 1;
        const qsizetype close = page.indexOf(Close, textFrom, Qt::CaseInsensitive);
        const qsizetype textTo = close == -1 ? n : close;
        if (const std::optional<QStringView> objectText =
                assignedStateText(page.sliced(textFrom, textTo - textFrom))) {
            EmbeddedState found{std::nullopt, textFrom, textTo};
            // An element that is never closed belongs to a page cut short: nothing in it is trusted.
            if (close == -1)
                return found;
            QJsonParseError error{};
            const QJsonDocument doc = QJsonDocument::fromJson(objectText->toUtf8(), &error);
            if (error.error == QJsonParseError::NoError && doc.isObject())
                found.state = doc.object();
            return found;
        }
        if (close == -1)
            return std::nullopt;
        from = close + Close.size();
    }
}

std::optional<QJsonObject> embeddedPageState(const QString& page)
{
    if (std::optional<EmbeddedState> s = findEmbeddedState(page))
        return std::move(s->state);
    return std::nullopt;
}

bool containsOutsideState(QStringView page, const EmbeddedState& state, QStringView marker)
{
    const qsizetype from = qBound<qsizetype>(0, state.textFrom, page.size());
    const qsizetype to = qBound<qsizetype>(from, state.textTo, page.size());
    return page.first(from).contains(marker) || page.sliced(to).contains(marker);
}

QString signedChange(const QString& numericText)
{
    qsizetype i = 0;
    while (i < numericText.size() && numericText[i] == u' ')
        ++i;
    if (i < numericText.size() && (numericText[i] == u'+' || numericText[i] == u'-'))
        return numericText;
    // Zero keeps its form; a text that is no number is no rise either.
    if (const std::optional<int> sign = compareNumericTexts(numericText, u"0"); !sign || *sign == 0)
        return numericText;
    QString s = numericText;
    s.insert(i, u'+');
    return s;
}

QuoteFields todayQuoteFields(const QJsonObject& state)
{
    const QJsonValue boardValue = state.value(u"mainStocksPriceBoard").toObject().value(u"priceBoard");
    if (!boardValue.isObject())
        return {};
    const QJsonObject board = boardValue.toObject();
    const QJsonObject detail = state.value(u"mainStocksDetail").toObject().value(u"detail").toObject();

    QuoteFields q;
    q.isDetailPage = true;
    q.name = shownText(valueText(board.value(u"name")).value_or(QString()));
    const QString shortName = valueText(board.value(u"shortName")).value_or(QString());
    q.shortName = shownText(shortName.isEmpty() ? companyFormRemoved(q.name) : shortName);
    q.price = shownText(valueText(board.value(u"price")).value_or(QString()));
    q.change = changeText(board.value(u"priceChange")).value_or(u"0"_s);
    q.open = numericOrZero(detail.value(u"openPrice"));
    q.high = numericOrZero(detail.value(u"highPrice"));
    q.low = numericOrZero(detail.value(u"lowPrice"));
    q.volume = numericOrZero(detail.value(u"volume"));
    q.prevClose = shownText(valueText(detail.value(u"previousPrice")).value_or(QString()));
    const QString time = valueText(board.value(u"priceDateTime")).value_or(QString());
    if (time.contains(u':') || time.contains(u'/'))
        q.time = shownText(time);
    return q;
}

QuoteFields parseTodayQuotePage(const QString& page)
{
    if (const std::optional<EmbeddedState> s = findEmbeddedState(page); s && s->state)
        return todayQuoteFields(*s->state);
    return {};
}

QString todayNikkeiLine(const QJsonObject& state)
{
    const QJsonObject index = state.value(u"mainIndexPriceBoard").toObject();
    const QJsonValue inner = index.value(u"priceBoard");
    const QJsonObject board = inner.isObject() ? inner.toObject() : index;
    const QString price = shownText(valueText(board.value(u"price")).value_or(QString()));
    const QString time = shownText(valueText(board.value(u"priceDateTime")).value_or(QString()));
    const QString change = changeText(board.value(u"priceChange")).value_or(QString());
    return u"日経平均 "_s + price + u" ("_s + time + u") "_s + change;
}

QString todayNikkeiLine(const QString& page)
{
    const std::optional<EmbeddedState> s = findEmbeddedState(page);
    return todayNikkeiLine(s ? s->state.value_or(QJsonObject()) : QJsonObject());
}

} // namespace tickora
