#pragma once

// A refresh pass over a grid in memory, with a host that records what the pass asks of its window,
// and the stock-detail pages its rows are answered with.

#include "quotes/refreshpass.h"
#include "support/fakes.h"
#include "support/sheet.h"

#include <QDateTime>
#include <QHash>

#include <functional>
#include <memory>

namespace tickora::test {

/// The code of watch row `row`: 1300 + row.
inline QString passRowCode(int row)
{
    return QString::number(1300 + row);
}

/// A 2012 stock-detail page for `row`'s code: name "N<code>", short name "S<code>", open 1,210,
/// high 1,250, low 1,190, volume 54,300, previous close 1,200, time 10:15.
inline QByteArray stockDetailPage(int row, const QString& price = QStringLiteral("1,234"),
                                  const QString& change = QStringLiteral("+15"),
                                  const QString& kind = QStringLiteral("株価詳細"))
{
    const QString fields =
        QStringLiteral("前日終値</div>>始値<strong>1,210</strong></div>>高値<strong>1,250</strong></div>"
                       ">安値<strong>1,190</strong></div>>出来高<strong>54,300</strong></div>");
    return QStringLiteral(
               "】S%1株%2<h1>N%1</h1>stoksPrice\">%3</td>前日比</span>%4</td><strong>1,200</strong>%5"
               "yjSb real<span>10:15</span>リアルタイム株価</dd>")
        .arg(passRowCode(row), kind, price, change, fields)
        .toUtf8();
}

/// Records what the pass asks of its window, over a sheet whose rows hold "old<row>.<column>".
struct RecordingPassHost : RefreshPassHost
{
    ManualHttpClient& http;
    MemorySheet cells;
    QList<int> passes, rowsDone, failures;
    QHash<int, QString> shortNames;
    QStringList chimes;
    QList<TargetReached> reached;
    QList<QDateTime> holds;
    QStringList notices; ///< pages read or not, answers of the series service
    QDateTime clock = QDateTime(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC);
    bool mute = false;
    std::function<void()> whileFailureOpen = [] {};
    std::function<void(int)> whileRowDone = [](int) {}; ///< events the window runs as a row is done
    int rowsDoing = 0, deepestRowDone = 0;
    int doneCalls = 0;
    RefreshPass* pass = nullptr;

    RecordingPassHost(ManualHttpClient& client, int rows) : http(client)
    {
        for (int r = 1; r <= rows; ++r) {
            cells.setCellText(r, grid::Code, passRowCode(r));
            for (int c = grid::Name; c <= grid::Time; ++c)
                cells.setCellText(r, c, QStringLiteral("old%1.%2").arg(r).arg(c));
        }
    }
    QuoteSheet& sheet() override { return cells; }
    void passStarted(int rowCount) override { passes.append(rowCount); }
    void storeShortName(int row, const QString& s) override { shortNames[row] = s; }
    bool muted() const override { return mute; }
    void playChime(Chime chime) override
    {
        chimes.append(chime == Chime::Sell ? QStringLiteral("sell") : QStringLiteral("buy"));
    }
    void targetReached(const TargetReached& r) override { reached.append(r); }
    void rowDone(int row) override
    {
        rowsDone.append(row);
        deepestRowDone = std::max(deepestRowDone, ++rowsDoing);
        whileRowDone(row);
        --rowsDoing;
    }
    void fetchFailed(int row) override
    {
        failures.append(row);
        whileFailureOpen();
    }
    QDateTime now() const override { return clock; }
    void serviceHeld(const QDateTime& until) override { holds.append(until); }
    QString listedName(const QString& code) override { return QStringLiteral("L") + code; }
    void pageRead(const QString& code) override { notices.append(QStringLiteral("read ") + code); }
    void pageUnread(const QString& code, bool fromSeries) override
    {
        notices.append((fromSeries ? QStringLiteral("series ") : QStringLiteral("unread ")) + code);
    }
    void pageOfOtherCode(const QString& code, const QString& boardCode) override
    {
        notices.append(QStringLiteral("other ") + code + u' ' + boardCode);
    }
    void seriesAnswered(int status, bool holdStarted) override
    {
        notices.append(
            QStringLiteral("answer %1%2").arg(status).arg(holdStarted ? QStringLiteral(" held") : QString()));
    }
    void run()
    {
        pass->request([this] { ++doneCalls; });
    }
    void reply(int row, int status, const QByteArray& body = {}, const QByteArray& retryAfter = {})
    {
        HttpResponse response{status, body, "text/html; charset=utf-8", {}, {}};
        if (!retryAfter.isNull())
            response.headers.append({"Retry-After", retryAfter});
        // The 2012 pages are asked for by query, today's by path.
        if (!http.answer(QStringLiteral("code=") + passRowCode(row), response) &&
            !http.answer(QStringLiteral("/quote/") + passRowCode(row) + QStringLiteral(".T"), response))
            qFatal("no open request for row %d", row);
    }
};

/// A refresh pass of `rows` rows over a RecordingPassHost, asking a market at market.test and the
/// series service at series.test.
struct Pass
{
    ManualHttpClient http;
    ServiceBackoff backoff;
    RecordingPassHost* f;
    std::unique_ptr<RefreshPass> owner;
    explicit Pass(int rows = 0, QuotePages pages = QuotePages::Pages2012)
        : f(new RecordingPassHost(http, rows)),
          owner(
              std::make_unique<RefreshPass>(http,
                                            QuoteSource{QUrl(QStringLiteral("http://market.test")), pages,
                                                        &backoff, QUrl(QStringLiteral("http://series.test"))},
                                            std::unique_ptr<RecordingPassHost>(f)))
    {
        f->pass = owner.get();
    }
    RecordingPassHost* operator->() const { return f; }
};

} // namespace tickora::test
