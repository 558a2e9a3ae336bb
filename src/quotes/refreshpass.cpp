#include "refreshpass.h"

#include "exchange/tradingcalendar.h"
#include "quotes/seriesquote.h"

#include <QPointer>

#include <tuple>

namespace tickora {

using namespace Qt::StringLiterals;

int watchRowCount(const QuoteSheet& sheet)
{
    int n = grid::LastRow;
    for (int r = grid::FirstRow; r <= grid::LastRow; ++r) {
        if (sheet.cellText(r, grid::Code).isEmpty()) {
            n = r - 1;
            break;
        }
    }
    if (!sheet.cellText(grid::LastRow, grid::Code).isEmpty())
        n = grid::LastRow;
    return n;
}

void emptyQuoteColumns(QuoteSheet& sheet, int row)
{
    for (int c = grid::Name; c <= grid::Low; ++c)
        sheet.setCellText(row, c, QString());
}

PriceAlerts priceAlerts(const QString& price, const QString& buyTarget, const QString& sellTarget)
{
    PriceAlerts a;
    if (const std::optional<int> c = compareNumericTexts(price, sellTarget))
        a.sell = *c >= 0;
    if (const std::optional<int> c = compareNumericTexts(price, buyTarget))
        a.buy = *c <= 0;
    return a;
}

PriceAlerts writeQuoteRow(QuoteSheet& sheet, int row, const QuoteFields& page)
{
    QuoteFields q = page;
    for (QString* f :
         {&q.name, &q.price, &q.change, &q.open, &q.high, &q.low, &q.volume, &q.prevClose, &q.time})
        *f = cellTextFromPage(*f);
    emptyQuoteColumns(sheet, row);
    if (!q.isDetailPage)
        return {};
    sheet.setCellText(row, grid::Name, q.name);
    sheet.setCellText(row, grid::Price, q.price);

    sheet.setCellForeColor(row, grid::BuyTarget, cellcolor::Default);
    sheet.setCellForeColor(row, grid::SellTarget, cellcolor::Default);
    const PriceAlerts alerts =
        priceAlerts(q.price, sheet.cellText(row, grid::BuyTarget), sheet.cellText(row, grid::SellTarget));
    if (alerts.sell)
        sheet.setCellForeColor(row, grid::SellTarget, cellcolor::Red);
    if (alerts.buy)
        sheet.setCellForeColor(row, grid::BuyTarget, cellcolor::Green);

    if (q.change.contains(QLatin1Char('+')))
        sheet.setCellForeColor(row, grid::Change, cellcolor::Red);
    if (q.change.contains(QLatin1Char('-')))
        sheet.setCellForeColor(row, grid::Change, cellcolor::Green);
    sheet.setCellText(row, grid::Change, q.change);

    sheet.setCellText(row, grid::Open, q.open);
    sheet.setCellText(row, grid::High, q.high);
    sheet.setCellText(row, grid::Low, q.low);
    sheet.setCellText(row, grid::Volume, q.volume);
    sheet.setCellText(row, grid::PrevClose, q.prevClose);
    sheet.setCellText(row, grid::Time, q.time);
    return alerts;
}

TargetNotice targetNotice(const TargetReached& reached)
{
    TargetNotice notice;
    notice.title = reached.kind == Target::Sell ? u"売値目標到達"_s : u"買値目標到達"_s;
    QStringList parts{reached.code.trimmed()};
    if (!reached.name.trimmed().isEmpty())
        parts.append(reached.name.trimmed());
    parts.append(u"現在値 "_s + reached.price.trimmed());
    parts.append(u"目標 "_s + reached.target.trimmed());
    notice.body = parts.join(u' ');
    return notice;
}

bool AlertLatch::reached(int row, Target kind, const QString& code, const QString& target, bool reachedNow)
{
    Reading& last = m_readings[row * 2 + int(kind)];
    // A target typed anew with the same value ("2700" for "2,700") is the same target.
    const std::optional<int> byValue = compareNumericTexts(last.target, target);
    const bool sameTarget = byValue ? *byValue == 0 : last.target == target;
    const bool wasReached = last.reached && last.code == code && sameTarget;
    last = {code, target, reachedNow};
    return reachedNow && !wasReached;
}

void AlertLatch::forgetRowsAfter(int lastRow)
{
    m_readings.removeIf([lastRow](const auto& entry) { return entry.key() / 2 > lastRow; });
}

RefreshPass::RefreshPass(HttpClient& http, QuoteSource source, std::unique_ptr<RefreshPassHost> host,
                         QObject* parent)
    : QObject(parent), m_http(http), m_source(std::move(source)), m_host(std::move(host))
{
}

RefreshPass::~RefreshPass() = default;

void RefreshPass::request(Done done)
{
    if (m_running) {
        m_followUp = true;
        m_doneNext.append(std::move(done));
        return;
    }
    m_doneNow.append(std::move(done));
    start();
}

void RefreshPass::start()
{
    m_running = true;
    const quint64 pass = ++m_pass;
    QuoteSheet& sheet = m_host->sheet();
    m_rowCount = watchRowCount(sheet);
    m_nextRow = grid::FirstRow;
    m_codes = QStringList(grid::LastRow + 1);
    m_results.assign(size_t(grid::LastRow + 1), std::nullopt);
    m_host->passStarted(m_rowCount);
    m_latch.forgetRowsAfter(m_rowCount);
    const bool held = m_source.backoff && m_source.backoff->holds(m_source.base, m_host->now());
    if (m_rowCount == 0 || held) {
        finish();
        return;
    }
    for (int r = grid::FirstRow; r <= m_rowCount; ++r) {
        m_codes[r] = sheet.cellText(r, grid::Code);
        fetchQuotePage(m_http, m_source.base, m_source.pages, m_codes[r], this,
                       [this, pass, r](const PageFetch& result) { fetched(pass, r, result); });
    }
}

void RefreshPass::fetched(quint64 pass, int row, const PageFetch& fetch)
{
    if (!m_running || pass != m_pass)
        return; // a result of a pass that has ended
    RowResult result;
    if (fetch.simulated)
        m_host->simulatedMarket();
    if (fetch.status != 0)
        m_host->marketMoment(fetch.simulatedTime);
    if (isOverloadStatus(fetch.status)) {
        result.kind = RowResult::Kind::Held;
        const QDateTime now = m_host->now();
        if (m_source.backoff &&
            m_source.backoff->noteAnswer(m_source.base, fetch.status, fetch.retryAfter, now))
            m_host->serviceHeld(m_source.backoff->until(m_source.base));
    } else if (fetch.ok) {
        const JudgedQuote judged =
            judgeQuotePage(fetch.text, m_codes[row], m_source.pages, japanTime(m_host->now()).date());
        if (judged.verdict == PageVerdict::Unread)
            return fetchSecondSource(pass, row);
        result.kind =
            judged.verdict == PageVerdict::OtherCode ? RowResult::Kind::OtherCode : RowResult::Kind::Page;
        result.quote = judged.reading.fields;
    }
    m_results[size_t(row)] = std::move(result);
    applyReady();
}

void RefreshPass::fetchSecondSource(quint64 pass, int row)
{
    const HttpRequest request = daySeriesRequest(m_source.seriesBase, seriesSymbolOfCode(m_codes[row]));
    auto give = [this, pass, row](RowResult result) {
        if (!m_running || pass != m_pass)
            return;
        m_results[size_t(row)] = std::move(result);
        applyReady();
    };
    if (m_source.backoff && m_source.backoff->holds(request.url, m_host->now()))
        return give({RowResult::Kind::Unread, {}});
    m_http.get(request, this, [this, pass, row, request, give](const HttpResponse& r) {
        const bool holdStarted =
            isOverloadStatus(r.status) && m_source.backoff &&
            m_source.backoff->noteAnswer(request.url, r.status, r.header("Retry-After"), m_host->now());
        m_host->seriesAnswered(r.status, holdStarted);
        if (holdStarted)
            m_host->serviceHeld(m_source.backoff->until(request.url));
        // A later pass may hold other codes by now: the answer is judged in its own pass only.
        if (!m_running || pass != m_pass)
            return;
        const auto quote = r.isSuccess() ? quoteFromSeriesJson(r.body, m_host->listedName(m_codes[row]), -1,
                                                               japanTime(m_host->now()).date())
                                         : std::nullopt;
        give(quote ? RowResult{RowResult::Kind::Page, *quote, true} : RowResult{RowResult::Kind::Unread, {}});
    });
}

void RefreshPass::applyReady()
{
    // Applying a row can run events (focus, a modal box); results arriving meanwhile are picked
    // up by the loop that is already running.
    if (m_applying)
        return;
    m_applying = true;
    const quint64 pass = m_pass;
    while (m_running && pass == m_pass && m_nextRow <= m_rowCount && m_results[size_t(m_nextRow)]) {
        const int row = m_nextRow++;
        const RowResult result = *m_results[size_t(row)];
        m_results[size_t(row)].reset();
        if (result.kind == RowResult::Kind::Held) {
            m_applying = false;
            finish();
            return;
        }
        if (result.kind == RowResult::Kind::Failed) {
            m_applying = false;
            fail(row);
            return;
        }
        if (result.kind == RowResult::Kind::Unread) {
            m_host->pageUnread(m_codes[row], false);
            m_host->rowDone(row);
            continue;
        }
        if (result.kind == RowResult::Kind::OtherCode) {
            m_host->pageOfOtherCode(m_codes[row], result.quote.boardCode);
            m_host->rowDone(row);
            continue;
        }
        applyRow(row, result);
    }
    m_applying = false;
    if (m_running && pass == m_pass && m_nextRow > m_rowCount)
        finish();
}

void RefreshPass::applyRow(int row, const RowResult& result)
{
    QuoteSheet& sheet = m_host->sheet();
    if (result.fromSeries)
        m_host->pageUnread(m_codes[row], true);
    else if (result.quote.isDetailPage)
        m_host->pageRead(m_codes[row]);
    // The code cell may have been edited, or the rows packed, while the page was on its way:
    // the page no longer belongs to this row.
    if (sheet.cellText(row, grid::Code) == m_codes[row]) {
        m_host->storeShortName(row, cellTextFromPage(result.quote.shortName));
        const PriceAlerts alerts = writeQuoteRow(sheet, row, result.quote);
        if (!m_host->muted()) {
            if (alerts.sell)
                m_host->playChime(RefreshPassHost::Chime::Sell);
            if (alerts.buy)
                m_host->playChime(RefreshPassHost::Chime::Buy);
        }
        // Only a price read anew moves the latch: a page without one says nothing about
        // whether the price has left the target.
        const bool priced = result.quote.isDetailPage && isNumericText(sheet.cellText(row, grid::Price));
        for (const auto& [kind, column, now] : {std::tuple{Target::Sell, grid::SellTarget, alerts.sell},
                                                std::tuple{Target::Buy, grid::BuyTarget, alerts.buy}}) {
            const QString target = sheet.cellText(row, column);
            if (priced && m_latch.reached(row, kind, m_codes[row], target, now))
                m_host->targetReached({row, kind, m_codes[row], sheet.cellText(row, grid::Name),
                                       sheet.cellText(row, grid::Price), target});
        }
    }
    m_host->rowDone(row);
}

void RefreshPass::fail(int row)
{
    ++m_pass; // later results of this pass are dropped
    QuoteSheet& sheet = m_host->sheet();
    if (sheet.cellText(row, grid::Code) == m_codes[row])
        emptyQuoteColumns(sheet, row);
    QPointer<RefreshPass> self(this);
    m_host->fetchFailed(row);
    if (self)
        finish();
}

void RefreshPass::finish()
{
    m_running = false;
    ++m_pass;
    const QList<Done> done = std::exchange(m_doneNow, {});
    QPointer<RefreshPass> self(this);
    for (const Done& d : done) {
        if (d)
            d();
        if (!self)
            return;
    }
    // A caller above may have started a pass of its own; the follow-up then comes after that one.
    if (m_followUp && !m_running) {
        m_followUp = false;
        m_doneNow = std::exchange(m_doneNext, {});
        start();
    }
}

} // namespace tickora
