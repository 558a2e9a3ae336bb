#include "statepage.h"

#include "datafields.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

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

QuoteFields stateQuoteFields(const QJsonObject& state)
{
    const QJsonValue boardValue = state.value(u"mainStocksPriceBoard").toObject().value(u"priceBoard");
    if (!boardValue.isObject())
        return {};
    const QJsonObject board = boardValue.toObject();
    const QJsonObject detail = state.value(u"mainStocksDetail").toObject().value(u"detail").toObject();

    return boardQuoteFields(board, detail, u"priceDateTime");
}

QuoteFields parseStateQuotePage(const QString& page)
{
    if (const std::optional<EmbeddedState> s = findEmbeddedState(page); s && s->state)
        return stateQuoteFields(*s->state);
    return {};
}

IndexFields stateIndexFields(const QJsonObject& state)
{
    return indexBoardFields(state.value(u"mainDomesticIndexPriceBoard").toObject(),
                            state.value(u"mainIndexPriceBoard").toObject());
}

} // namespace tickora
