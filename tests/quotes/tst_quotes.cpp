// The quote logic, from page texts to the refresh pass; each table row is an edge of its rule.
#include "quotes/quotefetch.h"
#include "quotes/quotepage.h"
#include "quotes/refreshpass.h"
#include "quotes/secondsource.h"
#include "quotes/seriesquote.h"
#include "quotes/textextract.h"
#include "quotetext.h"
#include "support/fakes.h"
#include "support/files.h"
#include "support/sheet.h"

#include <QTest>
#include <QTimeZone>
#include <QUrlQuery>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

const auto codeOf = [](int row) { return QString::number(1300 + row); };

/// A one-day chart JSON answer with `meta` and the bars' opens.
QByteArray seriesJson(const QString& meta, const QString& opens = u"[]"_s)
{
    return (u"{\"chart\":{\"result\":[{\"meta\":{"_s + meta +
            u"},\"timestamp\":[],\"indicators\":{\"quote\":[{\"open\":"_s + opens +
            u"}]}}],\"error\":null}}"_s)
        .toUtf8();
}

/// A stock-detail page for `row`'s code: name "N<code>", short name "S<code>".
QByteArray page(int row, const QString& price = u"1,234"_s, const QString& change = u"+15"_s,
                const QString& kind = u"株価詳細"_s)
{
    const QString fields = u"前日終値</div>>始値<strong>1,210</strong></div>>高値<strong>1,250</strong></div>"
                           ">安値<strong>1,190</strong></div>>出来高<strong>54,300</strong></div>"_s;
    return u"】S%1株%2<h1>N%1</h1>stoksPrice\">%3</td>前日比</span>%4</td><strong>1,200</strong>%5yjSb real"
           "<span>10:15</span>リアルタイム株価</dd>"_s.arg(codeOf(row), kind, price, change, fields)
               .toUtf8();
}

/// Records what the pass asks of its window, over a sheet whose rows hold "old" values.
struct Fixture : RefreshPassHost
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

    Fixture(ManualHttpClient& client, int rows) : http(client)
    {
        for (int r = 1; r <= rows; ++r) {
            cells.setCellText(r, grid::Code, codeOf(r));
            for (int c = grid::Name; c <= grid::Time; ++c)
                cells.setCellText(r, c, u"old%1.%2"_s.arg(r).arg(c));
        }
    }
    QuoteSheet& sheet() override { return cells; }
    void passStarted(int rowCount) override { passes.append(rowCount); }
    void storeShortName(int row, const QString& s) override { shortNames[row] = s; }
    bool muted() const override { return mute; }
    void playChime(Chime chime) override { chimes.append(chime == Chime::Sell ? u"sell"_s : u"buy"_s); }
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
    QString listedName(const QString& code) override { return u"L"_s + code; }
    void pageRead(const QString& code) override { notices.append(u"read "_s + code); }
    void pageUnread(const QString& code, bool fromSeries) override
    {
        notices.append((fromSeries ? u"series "_s : u"unread "_s) + code);
    }
    void pageOfOtherCode(const QString& code, const QString& boardCode) override
    {
        notices.append(u"other "_s + code + u" "_s + boardCode);
    }
    void seriesAnswered(int status, bool holdStarted) override
    {
        notices.append(u"answer %1%2"_s.arg(status).arg(holdStarted ? u" held"_s : QString()));
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
        if (!http.answer(u"code="_s + codeOf(row), response) &&
            !http.answer(u"/quote/"_s + codeOf(row) + u".T"_s, response))
            qFatal("no open request for row %d", row);
    }
};

struct Pass
{
    ManualHttpClient http;
    ServiceBackoff backoff;
    Fixture* f;
    std::unique_ptr<RefreshPass> owner;
    explicit Pass(int rows = 0, QuotePages pages = QuotePages::Pages2012)
        : f(new Fixture(http, rows)),
          owner(std::make_unique<RefreshPass>(
              http,
              QuoteSource{QUrl(u"http://market.test"_s), pages, &backoff, QUrl(u"http://series.test"_s)},
              std::unique_ptr<Fixture>(f)))
    {
        f->pass = owner.get();
    }
    Fixture* operator->() const { return f; }
};

} // namespace

class TestQuotes : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void textCutsAndNumbers()
    {
        const QString rows[][4] = {
            {u"ab[]cd"_s, u"["_s, u"]"_s, {}},           // end right after start
            {u"ab[xcd"_s, u"["_s, u"]"_s, {}},           // no end after start
            {u"a]b[xy]z[w]"_s, u"["_s, u"]"_s, u"xy"_s}, // end before and after start
            {u"ab]x]cd"_s, u"["_s, u"]"_s, {}},          // start missing
            {u"[abc[x]"_s, u"["_s, u"]"_s, u"abc[x"_s},
        };
        for (const auto& r : rows)
            QCOMPARE(textBetween(r[0], r[1], r[2]), r[3]);
        // The last "</div>" block holding the label decides; its first <strong> is the value.
        const QString blocks[][3] = {
            {u"<dt>始値</dt><dd><strong>1,234</strong></dd></div><div>x</div>"_s, u"始値"_s, u"1,234"_s},
            {u"<div><strong>1,234</strong><dt>始値</div>"_s, u"始値"_s, u"1,234"_s}, // delimiter right after
            {u"始値<strong>1</strong></div>始値<strong>2</strong></div>"_s, u"始値"_s, u"2"_s},
            {u"始値<strong>1</strong></div>始値 nothing</div>"_s, u"始値"_s, {}},
            {u"<strong>1</strong></DIV>始値<strong>2</strong></Div>"_s, u"始値"_s, u"2"_s},
            {u"Open<strong>1</strong></div>x<strong>2</strong></div>"_s, u"OPEN"_s, u"1"_s},
            {u"<strong>9</strong> 始値"_s, u"始値"_s, u"9"_s},                        // one block
            {u"<strong>1</strong>始</div>値<strong>2</strong>"_s, u"始値"_s, {}},     // label split
            {u"<strong>1</strong></div>始値<strong>5</strong>"_s, u"始値"_s, u"5"_s}, // right after
            {u"<strong>1</strong></div>x<strong>2</strong>"_s, u"v>x"_s, {}},         // label runs into it
            {u"</div>x<strong>2</strong>"_s, u"v>x"_s, {}},
            {u"</div>a</div><strong>1</strong>"_s, u"a<"_s, {}}, // a delimiter just before it too
            {u"始値<strong>3</strong>"_s, u"始値"_s, u"3"_s},    // the label first
            {u"<strong>1</strong></div>"_s, {}, {}},
        };
        for (const auto& r : blocks)
            QCOMPARE(valueAfterLabel(r[0], r[1]), r[2]);
        const QString index = u"<div class=\"cmn-index_value no-bg\"><b>12,283.62</b> 円</div>"_s;
        const QString dots(9219, u'.'); // the fixed value starts at character 9220
        const QString lines[][2] = {
            {index + dots.mid(index.size()), u"12,283.62 () "_s},
            {dots + QString(193, u' ') + u"<b>7</b>"_s, u" () "_s}, // ends past its 200 characters
            {u"cmn-index_value no-bg"_s + QString(371, u' ') + u"<b>1</b>"_s, u"1 () "_s}, // ends at 400
            {u"cmn-index_value no-bg"_s + QString(372, u' ') + u"<b>1</b>"_s, u" () "_s},
            {u"<a class=\"cmn-indexes_index_link\" href=\"/market/stock/index/nikkei225\">x</a>(+1)"_s,
             u" () "_s},
            {u"cmn-indexes_index_link\">x</a><span class=x>(+1)</span>"_s, u" () "_s}, // past 20 after </a>
            {u"cmn-indexes_index_link\">x</a><i>(-12.5)</i>"_s, u" (-12.5) "_s},
        };
        for (const auto& r : lines)
            QCOMPARE(nikkeiLine(r[0]), u"日経平均 "_s + r[1]);
        for (const QString& t : {u"1,234,500"_s, u"123,456"_s, u"  +1,000.25  "_s, u"-0.5"_s, u"007"_s})
            QVERIFY2(isNumericText(t), qPrintable(t));
        for (const QString& t :
             {u""_s, u"1e5"_s, u"1,23"_s, u"1,2345"_s, u"1234,567"_s, u"1."_s, u"１２３"_s})
            QVERIFY2(!isNumericText(t), qPrintable(t));
        // Compared by value, both ways round; 2 stands for "not comparable".
        const std::tuple<QString, QString, int> pairs[] = {
            {u"999"_s, u"1,000"_s, -1},  {u"1,234"_s, u"1200"_s, 1}, {u"1200.50"_s, u"1,200.5"_s, 0},
            {u"12.05"_s, u"12.5"_s, -1}, {u"-5"_s, u"-3"_s, -1},     {u"-5"_s, u"3"_s, -1},
            {u"-0"_s, u"+0.00"_s, 0},    {u"100"_s, u" "_s, 2},      {u""_s, u"100"_s, 2},
        };
        for (const auto& [a, b, expected] : pairs) {
            const std::optional<int> ab = compareNumericTexts(a, b), ba = compareNumericTexts(b, a);
            QCOMPARE(ab ? qBound(-1, *ab, 1) : 2, expected);
            QCOMPARE(ba ? qBound(-1, *ba, 1) : 2, expected == 2 ? 2 : -expected);
        }
        QCOMPARE(compareNumericTexts(QString(21, u'9'), QString(QString(20, u'9') + u'8')), 1);
    }

    void pagesAndTheirRequest()
    {
        const QString x298(298, u'x'), none = u"|detail|||0|0|0|0|0||"_s; // a detail page without fields
        const auto file = [](const char* name) {
            return QString::fromUtf8(readFile(TICKORA_TEST_DATA "/"_L1 + QLatin1StringView(name)));
        };
        const QString cuts[][2] = {
            {file("detail_9984_limitup.html"),
             u"ソフトバンク|detail|ソフトバンク(株)|1,500|+300|1,250|1,500|1,245|45,678,900|1,200|11:30"_s},
            {file("notfound_9999.html"), u"該当銘柄なし|other|||||||||"_s},
            {u"【1】"_s + x298 + u"x株"_s, u"|other|||||||||"_s}, // no 株 within 300 characters
            {u"【1】"_s + x298 + u"株"_s, x298 + u"|other|||||||||"_s},
            {u"株価詳細<span>前日比</span>+7</td>"_s, u"|detail|||+7|0|0|0|0||"_s},
            {u"株価詳細前日比</span><span class=\"icoUpGreen yjMSt\">+7(+1%)</span></td>"_s, none},
            {u"株価詳細前日比</span><span class=\"icoDownRed yjMSt\">+7（+1%）</span></td>"_s,
             u"|detail|||+7|0|0|0|0||"_s},
            {u"株価詳細>高値<strong>S</strong></div><span>ストップ高</span>（<strong>1,500</strong>）</td>"_s,
             none},
            {u"株価詳細>高値<strong>990</strong></div>ストップ高</span><strong class=\"greenFin\">1</strong></td>"_s,
             u"|detail|||0|0|990|0|0||"_s},
            {u"株価詳細>安値</div>ストップ安</span>（<strong class=\"redFin\">80</strong>）</td>"_s,
             u"|detail|||0|0|0|80|0||"_s},
            {u"株価詳細>出来高<strong>---</strong></div>"_s, none},
            {u"株価詳細<strong>1,234,567.89</strong>前日終値"_s, u"|detail|||0|0|0|0|0|1,234,567.89|"_s},
            {u"株価詳細<strong>12,345,678.9X</strong>前日終値"_s, none}, // 13 characters
            {u"前日終値 株価詳細"_s, none},
            {u"株価詳細<strong>5</strong>"_s + QString(183, u'.') + u"前日終値"_s,
             u"|detail|||0|0|0|0|0|5|"_s},
            {u"株価詳細<strong>5</strong>"_s + QString(184, u'.') + u"前日終値"_s,
             none}, // "strong>" one past
            {u"株価詳細yjSb real<span>1500</span>リアルタイム株価</dd>"_s, none},
            {u"株価詳細yjSb real<i>20分ディレイ株価</dd><span>9:05</span>リアルタイム株価</dd>"_s,
             u"|detail|||0|0|0|0|0||9:05"_s},
            {u"株価詳細<h1>ソニー(株)</h1><h1>x</h1>"_s, u"|detail|ソニー(株)||0|0|0|0|0||"_s},
        };
        for (const auto& r : cuts)
            QCOMPARE(joined(parseQuotePage(r[0])), r[1]);
        // The code goes out as it stands, with one header asking for a fresh page; text only on 2xx.
        const QUrl url = quotePageUrl(QUrl(u"http://h:81/"_s), QuotePages::Pages2012, u"7#%41"_s);
        QCOMPARE(url.toString(QUrl::RemoveQuery), u"http://h:81/stocks/detail/"_s);
        QCOMPARE(QUrlQuery(url).queryItemValue(u"code"_s, QUrl::FullyDecoded), u"7#%41"_s);
        QCOMPARE(quotePageUrl(QUrl(u"http://h:81/"_s), QuotePages::Today, u"72#%41/2?x"_s)
                     .toString(QUrl::FullyEncoded),
                 u"http://h:81/quote/72%23%2541%2F2%3Fx.T"_s);
        FakeHttpClient http;
        for (const int status : {0, 199, 200, 299, 300}) {
            http.setHandler([=](const HttpRequest&) { return HttpResponse{status, "株価詳細", {}, {}}; });
            std::optional<PageFetch> r;
            fetchQuotePage(http, QUrl(u"http://m"_s), QuotePages::Pages2012, u"7203"_s, nullptr,
                           [&](const PageFetch& got) { r = got; });
            QTRY_VERIFY(r);
            QCOMPARE(QList<int>({r->status, r->ok, int(r->text.size())}),
                     QList<int>({status, status / 100 == 2, status / 100 == 2 ? 4 : 0}));
        }
        QCOMPARE(http.requests.constFirst().url, QUrl(u"http://m/stocks/detail/?code=7203"_s));
        QCOMPARE(
            http.requests.constFirst().headers,
            (QList<QPair<QByteArray, QByteArray>>{{"If-Modified-Since", "Thu, 01 Jun 1970 00:00:00 GMT"}}));
        // A simulated answer's moment is taken only with its offset, and only from a simulated answer.
        const QDateTime tokyo(QDate(2026, 12, 8), QTime(10, 15), QTimeZone(9 * 3600));
        for (const auto& [simulated, time, expected] : {std::tuple{"1", "2026-12-08T10:15:00+09:00", tokyo},
                                                        {" 1 ", "2026-12-08T01:15:00Z", tokyo},
                                                        {"1", "2026-12-08T10:15:00", QDateTime()},
                                                        {"0", "2026-12-08T10:15:00+09:00", QDateTime()},
                                                        {"1", "soon", QDateTime()}}) {
            const HttpResponse r{
                200, {}, {}, {{"X-Tickora-Simulated", simulated}, {"X-Tickora-Simulated-Time", time}}};
            QCOMPARE(simulatedTimeOf(r), expected);
        }
    }

    // Blank code counts, a "no such code" page empties columns 2-9, code changed in flight is left alone.
    void passWritesEachRowByItsPage()
    {
        Pass p(4);
        const MemorySheet old = p->cells;
        p->cells.setCellText(2, grid::Code, u" "_s);
        p->cells.setCellForeColor(1, grid::Change, cellcolor::Green);
        p->cells.setCellForeColor(3, grid::Change, cellcolor::Red);
        p->cells.setCellForeColor(3, grid::SellTarget, cellcolor::Red);
        p->run();
        p->cells.setCellText(4, grid::Code, u"9999"_s);
        p->reply(1, 200, page(1));
        QVERIFY(p->http.answer(u"code= "_s, {200, page(2, u"880"_s, u"-4"_s), {}, {}}));
        p->reply(3, 200, page(3, u"1"_s, u"+1"_s, u"該当する銘柄はありません"_s));
        p->reply(4, 200, page(4));
        QCOMPARE(rowTexts(p->cells, 1).join(u'|'),
                 codeOf(1) + u"|N1301|1,234|+15|1,200|54,300|1,210|1,250|1,190|old1.10|old1.11|10:15"_s);
        QCOMPARE(rowTexts(p->cells, 2).mid(1, 3), QStringList({u"N1302"_s, u"880"_s, u"-4"_s}));
        QCOMPARE(rowTexts(p->cells, 3).mid(1), QStringList(8) + rowTexts(old, 3).mid(9));
        QCOMPARE(p->cells.cellText(4, grid::Price), u"old4.3"_s);
        QCOMPARE(QList<quint32>(
                     {p->cells.cellForeColor(1, grid::Change), p->cells.cellForeColor(2, grid::Change),
                      p->cells.cellForeColor(3, grid::Change), p->cells.cellForeColor(3, grid::SellTarget)}),
                 QList<quint32>({cellcolor::Red, cellcolor::Green, cellcolor::Red, cellcolor::Red}));
        QCOMPARE(p->shortNames, (QHash<int, QString>{{1, u"S1301"_s}, {2, u"S1302"_s}, {3, u"S1303"_s}}));
        QCOMPARE((QList<QList<int>>{p->rowsDone, {p->doneCalls}}), (QList<QList<int>>{{1, 2, 3, 4}, {1}}));
        QVERIFY(p->failures.isEmpty() && !p.owner->isRunning());
        // Fields go in as one line of at most 256 characters, markup as text, no half surrogate pair.
        const QString field = u"<b>\r\nヨ\tタ\u2028"_s + QString(246, u'x') + u"😀"_s;
        MemorySheet sheet;
        writeQuoteRow(sheet, 1, {{}, true, field, field, field, field, field, field, field, field, field});
        const QString cell = u"<b>  ヨ タ "_s + QString(246, u'x');
        QCOMPARE(rowTexts(sheet, 1),
                 QStringList(1) + QStringList(8, cell) + QStringList(2) + QStringList(1, cell));
        // Up to the first empty code cell, or all twelve when row 12 holds one, empty rows included.
        const std::pair<QList<int>, int> counts[] = {{{1, 2, 3, 12}, 12},
                                                     {{2, 3, 4}, 0},
                                                     {{1, 2, 3, 4, 6, 7}, 4},
                                                     {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 11}};
        for (const auto& [filled, expected] : counts) {
            Pass empty;
            for (int r : filled)
                empty->cells.setCellText(r, grid::Code, codeOf(r));
            QCOMPARE(watchRowCount(empty->cells), expected);
            empty->run(); // passes started, pages asked for, done at once when there is no row
            QCOMPARE(QList<int>({empty->passes.value(0), empty->http.unanswered(), empty->doneCalls}),
                     QList<int>({expected, expected, expected == 0 ? 1 : 0}));
        }
    }

    // One pass per step: "price;buy;sell;told;chimes;coloured[;code]"; "other" no detail page, "404" failed.
    void targetsToldChimedColouredAndLatched()
    {
        const QStringList cases[] = {
            {u"2,700;;2,700;sell;sell;sell"_s, u"2,750;;2,700;;sell;sell"_s, u"2,700;;2700;;sell;sell"_s},
            {u"2,700;;2,700;sell;sell;sell"_s, u"2,699;;2,700;;;"_s, u"2,710;;2,700;sell;sell;sell"_s},
            {u"1,500;1500;1,500.0;sell buy;sell buy;sell buy"_s, u"1,500;1500;1,500;;sell buy;sell buy"_s,
             u"1,400;1500;1,500;;buy;buy"_s},
            {u"900;800;900;sell;sell;sell"_s, u"800;800;900;buy;buy;buy"_s, u"900;800;900;sell;sell;sell"_s},
            {u"2,800;;2,700;sell;sell;sell"_s, u"2,800;;2,750;sell;sell;sell"_s,
             u"2,800;;2,750;;sell;sell"_s},
            {u"2,800;;2,700;sell;sell;sell"_s, u"2,800;;;;;"_s, u"2,800;;2,700;sell;sell;sell"_s},
            {u"2,800;;2,700;sell;sell;sell"_s, u"2,800;;2,700;sell;sell;sell;7203"_s,
             u"2,800;;2,700;;sell;sell;7203"_s},
            {u"500;600;;buy;buy;buy"_s, u"other;600;;;;buy"_s, u"404;600;;;;buy"_s, u";600;;;;"_s,
             u"500;600;;;buy;buy"_s},
            {u"muted"_s, u"500;600;;buy;;buy"_s, u"500;600;;;;buy"_s, u"700;600;;;;"_s,
             u"600;600;;buy;;buy"_s},
            {u"100;abc;1e2;;;"_s},
        };
        for (const QStringList& steps : cases) {
            Pass p(1);
            p->mute = steps.first() == u"muted"_s;
            p->cells.setCellForeColor(1, grid::BuyTarget, cellcolor::Red);
            p->cells.setCellForeColor(1, grid::SellTarget, cellcolor::Green);
            for (const QString& step : steps.mid(p->mute ? 1 : 0)) {
                const QStringList f = step.split(u';');
                const QString code = f.value(6, codeOf(1));
                p->cells.setCellText(1, grid::Code, code);
                p->cells.setCellText(1, grid::BuyTarget, f[1]);
                p->cells.setCellText(1, grid::SellTarget, f[2]);
                p->reached.clear();
                p->chimes.clear();
                p->run();
                const QByteArray body = f[0] == u"other"_s
                                            ? page(1, u"1"_s, u"+1"_s, u"該当する銘柄はありません"_s)
                                            : page(1, f[0]);
                QVERIFY(p->http.answer(u"code="_s + code, {f[0] == u"404"_s ? 404 : 200, body, {}, {}}));
                QStringList told, coloured;
                for (const TargetReached& r : std::as_const(p->reached)) {
                    told.append(r.kind == Target::Sell ? u"sell"_s : u"buy"_s);
                    QCOMPARE(
                        QStringList({QString::number(r.row), r.code, r.name, r.price, r.target}),
                        QStringList({u"1"_s, code, u"N1301"_s, f[0], r.kind == Target::Sell ? f[2] : f[1]}));
                }
                for (const auto& [column, colour, name] :
                     {std::tuple{grid::SellTarget, cellcolor::Red, "sell"},
                      std::tuple{grid::BuyTarget, cellcolor::Green, "buy"}}) {
                    const quint32 c = p->cells.cellForeColor(1, column);
                    if (c != cellcolor::Default)
                        coloured << (c == colour ? QString::fromLatin1(name) : u"?"_s);
                }
                QCOMPARE(QStringList({told.join(u' '), p->chimes.join(u' '), coloured.join(u' ')}).join(u';'),
                         f.mid(3, 3).join(u';'));
            }
        }
        // A row dropped from the passes is told anew when watched again; notices are trimmed, markup kept.
        Pass p(2);
        p->cells.setCellText(1, grid::SellTarget, u"1,000"_s);
        p->cells.setCellText(2, grid::SellTarget, u"1,000"_s);
        QList<int> told; // the rows told, a 0 after each pass
        for (const bool watched : {true, true, false, true}) {
            p->reached.clear();
            p->cells.setCellText(2, grid::Code, watched ? codeOf(2) : QString());
            p->run();
            for (int r = 1; r <= (watched ? 2 : 1); ++r)
                p->reply(r, 200, page(r));
            for (const TargetReached& r : std::as_const(p->reached))
                told.append(r.row);
            told.append(0);
        }
        QCOMPARE(told, QList<int>({1, 2, 0, 0, 0, 2, 0}));

        const TargetNotice n =
            targetNotice({1, Target::Buy, u" 6758"_s, u"ソニー "_s, u"3,412"_s, u"  3,400 "_s});
        const TargetNotice m = targetNotice({1, Target::Buy, u"1301"_s, u" "_s, u"<b>1</b>"_s, u"&2"_s});
        QCOMPARE(QStringList({n.title, n.body, m.body}),
                 QStringList({u"買値目標到達"_s, u"6758 ソニー 現在値 3,412 目標 3,400"_s,
                              u"1301 現在値 <b>1</b> 目標 &2"_s}));
    }

    // The second source: the series JSON read as a page would show it; what is told, and when.
    void quotesFromTheSeries()
    {
        // 2026-09-25 00:49 UTC is 9:49 in Japan.
        const QString full = u"\"regularMarketPrice\":2648.5,\"previousClose\":2618,\"chartPreviousClose\":1,"
                             u"\"regularMarketDayHigh\":2660,\"regularMarketDayLow\":2600.5,"
                             u"\"regularMarketVolume\":27485000,\"regularMarketTime\":1790470140"_s;
        const std::tuple<QByteArray, int, QString> cases[] = {
            {seriesJson(full, u"[null,\"x\",2620,2630]"_s), -1,
             u"トヨタ|detail|トヨタ|2,648.5|+30.5|2,620|2,660|2,600.5|27,485,000|2,618|9:49"_s},
            {seriesJson(u"\"regularMarketPrice\":2600,\"chartPreviousClose\":2621.5"_s), -1,
             u"トヨタ|detail|トヨタ|2,600|-21.5|0|0|0|0|2,621.5|"_s},
            {seriesJson(
                 u"\"regularMarketPrice\":1000.25,\"previousClose\":1000.25,\"regularMarketTime\":1790488800"_s),
             -1, u"トヨタ|detail|トヨタ|1,000.25|0|0|0|0|0|1,000.25|15:00"_s},
            {seriesJson(u"\"regularMarketPrice\":38412.7,\"previousClose\":38538.16"_s), 2,
             u"トヨタ|detail|トヨタ|38,412.70|-125.46|0|0|0|0|38,538.16|"_s},
            {seriesJson(u"\"regularMarketPrice\":5,\"previousClose\":4.5,\"regularMarketVolume\":1234.6"_s),
             2, u"トヨタ|detail|トヨタ|5.00|+0.50|0|0|0|1,235|4.50|"_s}};
        for (const auto& [body, decimals, expected] : cases)
            QCOMPARE(joined(quoteFromSeriesJson(body, u"トヨタ"_s, decimals).value_or(QuoteFields())),
                     expected);
        // A body of the cap's size is read, one byte more is not.
        const auto padded = [](qsizetype size) {
            const QByteArray body = seriesJson(u"\"regularMarketPrice\":1,\"x\":\"\""_s);
            return QByteArray(body).insert(body.indexOf("\"}"), QByteArray(size - body.size(), 'x'));
        };
        QVERIFY(quoteFromSeriesJson(padded(MaxSeriesQuoteBytes), {}).has_value());
        for (const QByteArray& none :
             {seriesJson(u"\"regularMarketPrice\":\"1\""_s), QByteArray("{"), padded(MaxSeriesQuoteBytes + 1),
              QByteArray("{\"chart\":{\"result\":null}}")})
            QVERIFY(!quoteFromSeriesJson(none, {}));
        QCOMPARE(nikkeiLineOf(*quoteFromSeriesJson(seriesJson(full), {}, 2)),
                 u"日経平均 2,648.50 (9:49) +30.50"_s);
        const HttpRequest index = daySeriesRequest(QUrl(u"http://s.test/base/"_s), u"^N225"_s),
                          stock = daySeriesRequest(QUrl(u"http://s.test"_s), seriesSymbolOfCode(u" 7203"_s));
        QCOMPARE(QStringList({index.url.toString(QUrl::FullyEncoded), stock.url.path(),
                              QString::number(stock.maxBodyBytes)}),
                 QStringList({u"http://s.test/base/v8/finance/chart/%5EN225?range=1d&interval=5m"_s,
                              u"/v8/finance/chart/7203.T"_s, QString::number(MaxSeriesQuoteBytes)}));

        // Each message once a day; again once every page that failed has been read, or the next day.
        // A step is a code and "r" read, "p" unread or "s" unread with the series standing in ("+": a day
        // on).
        UnreadPageNotices notices;
        const QDate day(2026, 12, 7);
        QStringList said;
        for (const QString& step : u"As Bs Ap Cr Ar Ap Br Ar Bs Bs+"_s.split(u' ')) {
            const QString code = step.left(1);
            if (step[1] == u'r')
                said.append(notices.pageRead(code) ? u"all read"_s : QString());
            else
                said.append(notices.pageUnread(code, step[1] == u's', day.addDays(step.size() - 2)));
        }
        const QString series = QString::fromUtf16(PagesUnreadFromSeriesText);
        QCOMPARE(said, QStringList({series,
                                    {},
                                    QString::fromUtf16(PagesUnreadText),
                                    {},
                                    {},
                                    {},
                                    {},
                                    u"all read"_s,
                                    series,
                                    series}));
        QVERIFY(QString::fromUtf16(PagesUnreadFromSeriesText)
                    .endsWith(u"。価格は系列データから表示しています"_s));
        // Refusals in a row: holds started and 403s count, repeated 429s and lost answers do not.
        SeriesRefusals refusals;
        QString told;
        const std::pair<int, bool> answers[] = {
            {429, true}, {429, false}, {0, false},  {403, false}, {403, false}, {403, false}, {200, false},
            {503, true}, {403, false}, {429, true}, {404, false}, {403, false}, {403, false}, {403, false}};
        for (const auto& [status, holdStarted] : answers)
            told += refusals.noteAnswer(status, holdStarted) ? u'!' : u'.';
        QCOMPARE(told, u"....!....!...!"_s);
        QVERIFY(isNoSuchCodePage(u"<p>該当する銘柄はありません</p>"_s) &&
                !isNoSuchCodePage(u"該当する銘柄"_s));
    }

    // A page in an unknown form: the row comes from the series, alerts and all; else it keeps what it shows.
    void unreadPagesFromTheSeries()
    {
        Pass p(3, QuotePages::Today);
        const MemorySheet before = p->cells;
        p->cells.setCellText(1, grid::SellTarget, u"2,600"_s);
        p->run();
        p->reply(1, 200, page(1, u"1"_s, u"+1"_s, u"検索"_s));
        p->reply(2, 200, page(2));
        p->reply(3, 200, "<html>new form</html>");
        const QByteArray json = seriesJson(
            u"\"regularMarketPrice\":2648.5,\"previousClose\":2618,\"regularMarketTime\":1790470140"_s);
        QVERIFY(p->rowsDone.isEmpty() && p->http.answer(u"series.test/v8/finance/chart/1301.T?range=1d"_s,
                                                        {200, json, "application/json", {}, {}}));
        QVERIFY(p->http.answer(u"/1303.T"_s, {429, {}, {}, {{"Retry-After", "120"}}, {}}));
        QCOMPARE(rowTexts(p->cells, 1).mid(1, 4),
                 QStringList({u"L1301"_s, u"2,648.5"_s, u"+30.5"_s, u"2,618"_s}));
        QCOMPARE(rowTexts(p->cells, 3), rowTexts(before, 3));
        QCOMPARE(p->notices, QStringList({u"answer 200"_s, u"series 1301"_s, u"read 1302"_s,
                                          u"answer 429 held"_s, u"unread 1303"_s}));
        QCOMPARE(
            QStringList({QString::number(p->reached.size()), p->chimes.join(u' '), p->shortNames.value(1)}),
            QStringList({u"1"_s, u"sell"_s, u"L1301"_s}));
        QCOMPARE((QList<QList<int>>{p->rowsDone, {p->doneCalls, int(p->holds.size())}}),
                 (QList<QList<int>>{{1, 2, 3}, {1, 1}}));
        // While the series is held it is not asked: the row keeps what it shows; a failed series too.
        p->notices.clear();
        p->run();
        p->reply(1, 200, page(1, u"1"_s, u"+1"_s, u"検索"_s));
        p->reply(2, 200, page(2));
        p->reply(3, 200, page(3));
        QCOMPARE(p->http.unanswered(), 0);
        QCOMPARE(p->cells.cellText(1, grid::Price), u"2,648.5"_s);
        p->clock = p->clock.addSecs(121);
        p->run();
        p->reply(1, 200, page(1, u"1"_s, u"+1"_s, u"検索"_s));
        QVERIFY(p->http.answer(u"/1301.T"_s, {200, "{}", {}, {}, {}}));
        p->reply(2, 200, page(2));
        p->reply(3, 200, page(3));
        QCOMPARE(p->notices, QStringList({u"unread 1301"_s, u"read 1302"_s, u"read 1303"_s, u"answer 200"_s,
                                          u"unread 1301"_s, u"read 1302"_s, u"read 1303"_s}));
        QCOMPARE(p->cells.cellText(1, grid::Price), u"2,648.5"_s);
    }

    // Labels and markers found wherever they stand, the page's first and last characters included.
    void labelsAtTheEdges_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("value");
        QTest::newRow("label at the first character")
            << u"始値<strong>1,234</strong></div>x"_s << u"始値"_s << u"1,234"_s;
        QTest::newRow("label at the first character, no delimiter")
            << u"始値<strong>7</strong>"_s << u"始値"_s << u"7"_s;
        QTest::newRow("label at the first character, upper case")
            << u"LABEL<strong>5</strong>"_s << u"label"_s << u"5"_s;
        QTest::newRow("label right after a delimiter")
            << u"a</div>始値<strong>2</strong>"_s << u"始値"_s << u"2"_s;
        QTest::newRow("label as the last characters") << u"<strong>3</strong>始値"_s << u"始値"_s << u"3"_s;
        QTest::newRow("text is the label") << u"始値"_s << u"始値"_s << QString();
        QTest::newRow("label longer than the text") << u"始"_s << u"始値"_s << QString();
        QTest::newRow("label cut by a delimiter at the start")
            << u"始</div>値<strong>9</strong>"_s << u"始値"_s << QString();
    }
    void labelsAtTheEdges()
    {
        QFETCH(QString, text);
        QFETCH(QString, label);
        QFETCH(QString, value);
        QCOMPARE(valueAfterLabel(text, label), value);
        // The same block as the last of several.
        QCOMPARE(valueAfterLabel(u"<strong>0</strong>x</div>"_s + text, label), value);
        QCOMPARE(textBetween(u"[x]"_s + text, u"["_s, u"]"_s),
                 u"x"_s); // a start marker at the first character
    }

    // Pages that answer but give no quote of this code: a page in an unknown form that still says
    // "株価詳細" goes to the series; a board of another code changes nothing and is told; with the
    // 2012 pages a page without a detail table is emptied and asks nothing more.
    void pagesWithoutThisCodesQuote_data()
    {
        QTest::addColumn<bool>("today");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("notices");
        QTest::addColumn<QString>("priceAndTime"); ///< "kept": the row as it was
        const QByteArray otherBoard = readFile(TICKORA_TEST_DATA "/today/2026/7203.T.html"_L1);
        const QByteArray unknown = "<html><h2>株価詳細値</h2><div id=\"q\">1,000</div></html>";
        QTest::newRow("board of another code") << true << otherBoard << u"other 1301 7203"_s << u"kept"_s;
        QTest::newRow("2012 pages: board of another code")
            << false << otherBoard << u"other 1301 7203"_s << u"kept"_s;
        QTest::newRow("unknown form, series fails")
            << true << unknown << u"answer 404,unread 1301"_s << u"kept"_s;
        QTest::newRow("2012 pages: unknown form is a detail page")
            << false << unknown << u"read 1301"_s << u"|"_s;
        QTest::newRow("2012 pages: no detail table")
            << false << QByteArray("<html>検索</html>") << u""_s << u"|old1.12"_s;
    }
    void pagesWithoutThisCodesQuote()
    {
        QFETCH(bool, today);
        QFETCH(QByteArray, body);
        QFETCH(QString, notices);
        QFETCH(QString, priceAndTime);
        Pass p(1, today ? QuotePages::Today : QuotePages::Pages2012);
        p->cells.setCellText(1, grid::BuyTarget, u"9,000"_s);
        p->cells.setCellText(1, grid::SellTarget, u"1"_s);
        const MemorySheet before = p->cells;
        for (int round = 1; round <= 2; ++round) {
            p->run();
            p->reply(1, 200, body);
            p->http.answer(u"series.test"_s, {404, {}, {}, {}, {}});
            QCOMPARE(p->http.unanswered(), 0);
        }
        QCOMPARE(p->notices.join(u','), notices.isEmpty() ? QString() : notices + u',' + notices);
        if (priceAndTime == u"kept"_s)
            QCOMPARE(rowTexts(p->cells, 1), rowTexts(before, 1));
        else
            QCOMPARE(p->cells.cellText(1, grid::Price) + u'|' + p->cells.cellText(1, grid::Time),
                     priceAndTime);
        QVERIFY(p->reached.isEmpty() && p->chimes.isEmpty());
        QCOMPARE(p->rowsDone, QList<int>({1, 1}));
        QCOMPARE(p->doneCalls, 2);
    }

    // A series answer that comes after its pass ended is not applied to the next pass's row.
    void lateSeriesAnswerDropped()
    {
        Pass p(2, QuotePages::Today);
        const QByteArray unknown = "<html><h2>株価詳細値</h2></html>";
        auto series = [](const char* price) {
            return HttpResponse{200,
                                seriesJson(u"\"regularMarketPrice\":"_s + QString::fromLatin1(price)),
                                "application/json",
                                {},
                                {}};
        };
        p->run();
        p->reply(2, 200, unknown);
        p->reply(1, 500); // the pass ends with row 2's series still on its way
        QCOMPARE(p->failures, QList<int>({1}));
        p->run();
        p->reply(1, 200, page(1));
        p->reply(2, 200, unknown);
        QCOMPARE(p->http.unanswered(), 2);
        QVERIFY(p->http.answer(u"series.test"_s, series("111"))); // the ended pass's
        QCOMPARE(p->cells.cellText(2, grid::Price), u"old2.3"_s);
        QVERIFY(p->http.answer(u"series.test"_s, series("222")));
        QCOMPARE(p->cells.cellText(2, grid::Price), u"222"_s);
        QCOMPARE(p->rowsDone, QList<int>({1, 2}));
    }

    // All pages asked for at once, applied in row order; row 5 fails after rows 6-12 answered.
    void passOrderFailuresHoldsAndFollowUps()
    {
        Pass p(12);
        const MemorySheet before = p->cells;
        p->run();
        QCOMPARE(p->http.unanswered(), 12);
        for (int r = 12; r >= 2; --r)
            p->reply(r, r == 5 ? 404 : 200, page(r));
        QVERIFY(p->rowsDone.isEmpty() && p->failures.isEmpty());
        QCOMPARE(p->cells.cellText(2, grid::Price), u"old2.3"_s);
        p->reply(1, 200, page(1));
        for (int r = 1; r <= 4; ++r)
            QCOMPARE(p->cells.cellText(r, grid::Price), u"1,234"_s);
        QCOMPARE(rowTexts(p->cells, 5).mid(1), QStringList(8) + rowTexts(before, 5).mid(9));
        for (int r = 6; r <= 12; ++r)
            QCOMPARE(rowTexts(p->cells, r), rowTexts(before, r));
        QCOMPARE((QList<QList<int>>{p->failures, p->rowsDone, {p->doneCalls}}),
                 (QList<QList<int>>{{5}, {1, 2, 3, 4}, {1}}));
        QVERIFY(!p->shortNames.contains(5) && !p.owner->isRunning());
        // Requests made while a pass runs start no second pass inside it; they share one pass after it.
        Pass o(2);
        int second = 0, third = 0;
        o->run();
        o->pass->request([&] { ++second; });
        o->pass->request([&] { ++third; });
        for (int round = 1; round <= 2; ++round) {
            QCOMPARE(QList<int>({o->http.unanswered(), int(o->passes.size()), o->doneCalls + second + third}),
                     QList<int>({2, round, round - 1}));
            o->reply(1, 200, page(1));
            o->reply(2, 200, page(2));
        }
        QCOMPARE(QList<int>({o->doneCalls, second, third, int(o->passes.size())}), QList<int>({1, 1, 1, 2}));
        QVERIFY(!o.owner->isRunning());
        Pass gone(1);
        bool called = false;
        gone->pass->request([&] { called = true; });
        gone.owner.reset();
        QVERIFY(gone.http.answer(u"code="_s, {200, page(1), {}, {}}) && !called);
        // While the failure box is open, late answers change nothing and a new request waits for it to close.
        Pass f(3);
        int later = 0;
        f->whileFailureOpen = [&] {
            f->pass->request([&] { ++later; });
            f->reply(2, 200, page(2));
            QCOMPARE(f->http.unanswered(), 1);
        };
        f->run();
        f->reply(1, 500);
        QCOMPARE(f->cells.cellText(2, grid::Price), u"old2.3"_s);
        QCOMPARE(QList<int>({f->doneCalls, int(f->passes.size()), f->http.unanswered()}),
                 QList<int>({1, 2, 4}));
        for (int r : {3, 1, 2, 3}) // the failed pass's last answer, then the follow-up's
            f->reply(r, 200, page(r));
        QCOMPARE((QList<QList<int>>{f->failures, {later}}), (QList<QList<int>>{{1}, {1}}));
        QCOMPARE(f->cells.cellText(2, grid::Price), u"1,234"_s);
        // An answer that arrives while a row is being done is applied after it, not inside it.
        Pass n(2);
        n->whileRowDone = [&](int row) {
            if (row == 1)
                n->reply(2, 200, page(2));
        };
        n->run();
        n->reply(1, 200, page(1));
        QCOMPARE(QList<int>({n->rowsDone.value(1), n->deepestRowDone, n->doneCalls}), QList<int>({2, 1, 1}));
        // A 429 or 503 keeps its row and the later ones, opens no box and holds requests until it passes.
        Pass h(4);
        h->run();
        h->reply(3, 503, "busy", "120");
        h->reply(4, 429, {}, "30");
        h->reply(1, 200, page(1));
        h->reply(2, 200, page(2));
        QCOMPARE(h->cells.cellText(2, grid::Name), u"N1302"_s);
        for (int r : {3, 4})
            QCOMPARE(rowTexts(h->cells, r).mid(1, 3),
                     QStringList({u"old%1.2"_s.arg(r), u"old%1.3"_s.arg(r), u"old%1.4"_s.arg(r)}));
        QCOMPARE(h->holds, QList<QDateTime>{h->clock.addSecs(120)});
        QVERIFY(h->failures.isEmpty() && !h.owner->isRunning());
        QCOMPARE(QList<int>({h->doneCalls, int(h->http.requests.size())}), QList<int>({1, 4}));
        h->clock = h->clock.addSecs(119);
        h->run();
        QCOMPARE(QList<int>({h->doneCalls, int(h->http.requests.size()), h->http.unanswered()}),
                 QList<int>({2, 4, 0}));
        h->clock = h->clock.addSecs(1); // the hold is over: the next pass writes its rows again
        h->run();
        h->reply(1, 200, page(1, u"777"_s));
        QCOMPARE(h->cells.cellText(1, grid::Price), u"777"_s);
    }
};

QTEST_GUILESS_MAIN(TestQuotes)
#include "tst_quotes.moc"
