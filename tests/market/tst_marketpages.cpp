// The market's pages must carry every marker in the shape the quote and Nikkei readers cut,
// and the walk behind them must be reproducible and stay within the exchange's rules.

#include "codelist.h"
#include "history.h"
#include "pages.h"
#include "simulation.h"

#include <QRegularExpression>
#include <QStringEncoder>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tickora::market;

Q_DECLARE_METATYPE(tickora::market::QuoteView)

namespace {

/// Text between the first `start` and the next `end` after it (empty when either is missing).
QString cut(const QString& all, const QString& start, const QString& end)
{
    const qsizetype i = all.indexOf(start);
    if (i < 0)
        return {};
    const qsizetype a = i + start.size();
    const qsizetype b = all.indexOf(end, a);
    return b > a ? all.mid(a, b - a) : QString();
}

/// The bold value of the last "</div>" block that carries the label.
QString blockValue(const QString& page, const QString& label)
{
    QString result;
    for (const QString& block : page.split(u"</div>"_s, Qt::KeepEmptyParts, Qt::CaseInsensitive))
        if (block.contains(label, Qt::CaseInsensitive))
            result = cut(block, u"<strong>"_s, u"</strong>"_s);
    return result;
}

bool isNumeric(const QString& s)
{
    static const QRegularExpression re(u"^ *[+-]?[0-9][0-9,]*(\\.[0-9]+)? *$"_s);
    return re.match(s).hasMatch();
}

QString shortNameOf(const QString& page)
{
    const qsizetype p = page.indexOf(u'】');
    if (p < 0)
        return {};
    const QString w = page.mid(p, 300);
    const qsizetype k = w.indexOf(u'株');
    return k < 0 ? QString() : w.mid(1, k - 1);
}

QString prevCloseOf(const QString& page)
{
    const qsizetype p = page.indexOf(u"前日終値"_s);
    if (p < 200)
        return {};
    const QString w = page.mid(p - 200, 200);
    const qsizetype q = w.indexOf(u"strong>"_s);
    return q < 0 ? QString() : cut(w.mid(q, 20), u">"_s, u"<"_s);
}

QuoteView baseQuote()
{
    QuoteView q;
    q.code = u"7203"_s;
    q.shortName = u"トヨタ自動車"_s;
    q.companyName = u"トヨタ自動車(株)"_s;
    q.industry = u"輸送用機器"_s;
    q.prevClose = 1219;
    q.price = 1234;
    q.open = 1220;
    q.high = 1240;
    q.low = 1210;
    q.volume = 1234500;
    q.minute = 15 * 60;
    q.limitUp = 1519;
    q.limitDown = 919;
    q.date = QDate(2020, 7, 17);
    q.prevDate = QDate(2020, 7, 16);
    q.yearHigh = 1500;
    q.yearLow = 900;
    q.sharesOutstanding = 3262997492;
    return q;
}

QList<Listing> sampleListings()
{
    return {{u"1301"_s, u"極洋"_s},
            {u"7203"_s, u"トヨタ自動車"_s},
            {u"9984"_s, u"ソフトバンクグループ"_s},
            {u"2593"_s, u"伊藤園 優先株式"_s}};
}

} // namespace

class TestMarketPages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void quotePageMarkers_data();
    void quotePageMarkers();
    void notFoundPage();
    void nikkeiPage_data();
    void nikkeiPage();
    void formatting_data();
    void formatting();
    void exchangeTables_data();
    void exchangeTables();
    void sameSeedSamePages();
    void walkKeepsTheRules();
    void limitFormsAppearSometimes();
    void chartsShareTheQuoteHistory();
    void codeListShapes_data();
    void codeListShapes();
};

void TestMarketPages::quotePageMarkers_data()
{
    QTest::addColumn<QuoteView>("quote");
    QTest::addColumn<QString>("shortName");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("change"); // what the change cell gives before "（", or "" for unchanged
    QTest::addColumn<QString>("high");   // "" when the limit-up form is expected
    QTest::addColumn<QString>("low");
    QTest::addColumn<QString>("time");

    QuoteView up = baseQuote();
    QTest::newRow("up") << up << u"トヨタ自動車"_s << u"1,234"_s << u"+15"_s << u"1,240"_s << u"1,210"_s
                        << u"15:00"_s;

    QuoteView down = baseQuote();
    down.price = 1216;
    QTest::newRow("down") << down << u"トヨタ自動車"_s << u"1,216"_s << u"-3"_s << u"1,240"_s << u"1,210"_s
                          << u"15:00"_s;

    QuoteView flat = baseQuote();
    flat.price = flat.prevClose;
    QTest::newRow("unchanged") << flat << u"トヨタ自動車"_s << u"1,219"_s << QString() << u"1,240"_s
                               << u"1,210"_s << u"15:00"_s;

    QuoteView limitUp = baseQuote();
    limitUp.price = limitUp.high = limitUp.limitUp;
    limitUp.limitUpReached = true;
    QTest::newRow("limit up") << limitUp << u"トヨタ自動車"_s << u"1,519"_s << u"+300"_s << QString()
                              << u"1,210"_s << u"15:00"_s;

    QuoteView limitDown = baseQuote();
    limitDown.price = limitDown.low = limitDown.limitDown;
    limitDown.limitDownReached = true;
    QTest::newRow("limit down") << limitDown << u"トヨタ自動車"_s << u"919"_s << u"-300"_s << u"1,240"_s
                                << QString() << u"15:00"_s;

    QuoteView delayed = baseQuote();
    delayed.realTime = false;
    delayed.minute = 10 * 60 + 5;
    QTest::newRow("delayed") << delayed << u"トヨタ自動車"_s << u"1,234"_s << u"+15"_s << u"1,240"_s
                             << u"1,210"_s << u"9:45"_s;

    QuoteView large = baseQuote();
    large.prevClose = 69990;
    large.price = 71230;
    large.open = 70000;
    large.high = 71500;
    large.low = 69800;
    large.volume = 987654300;
    QTest::newRow("thousands") << large << u"トヨタ自動車"_s << u"71,230"_s << u"+1,240"_s << u"71,500"_s
                               << u"69,800"_s << u"15:00"_s;

    QuoteView withKabu = baseQuote();
    withKabu.shortName = u"伊藤園 優先株式"_s;
    withKabu.companyName = u"伊藤園 優先株式(株)"_s;
    QTest::newRow("name holding 株") << withKabu << u"伊藤園 優先"_s << u"1,234"_s << u"+15"_s << u"1,240"_s
                                     << u"1,210"_s << u"15:00"_s;
}

void TestMarketPages::quotePageMarkers()
{
    QFETCH(QuoteView, quote);
    QFETCH(QString, shortName);
    QFETCH(QString, price);
    QFETCH(QString, change);
    QFETCH(QString, high);
    QFETCH(QString, low);
    QFETCH(QString, time);
    const QString page = quotePage(quote);

    QVERIFY2(page.toUtf8().size() > 20000, "a realistic page weighs tens of kilobytes");
    QCOMPARE(shortNameOf(page), shortName);
    QVERIFY(page.contains(u"株価詳細"_s));
    QCOMPARE(cut(page, u"<h1>"_s, u"</h1>"_s), quote.companyName);
    QCOMPARE(cut(cut(page, u"stoksPrice\""_s, u"/td>"_s), u">"_s, u"<"_s), price);

    const QString changeCell = cut(page, u"前日比</span>"_s, u"</td>"_s);
    if (change.startsWith(u'+')) {
        QVERIFY(changeCell.contains(u"icoUpGreen yjMSt"_s));
        QCOMPARE(cut(changeCell, u"icoUpGreen yjMSt\">"_s, u"（"_s), change);
    } else if (change.startsWith(u'-')) {
        QVERIFY(!changeCell.contains(u"icoUpGreen"_s));
        QCOMPARE(cut(changeCell, u"icoDownRed yjMSt\">"_s, u"（"_s), change);
    } else {
        QVERIFY(!changeCell.contains(u"icoUpGreen"_s) && !changeCell.contains(u"icoDownRed"_s));
        QVERIFY(changeCell.endsWith(u">0（0.00%）</span>"_s));
    }

    QCOMPARE(blockValue(page, u"始値"_s), formatNumber(quote.open));
    QCOMPARE(blockValue(page, u">出来高<"_s), formatNumber(double(quote.volume)));

    const QString highValue = blockValue(page, u">高値"_s);
    const QString stopHigh = cut(cut(page, u"ストップ高</span>"_s, u"</td>"_s),
                                 u"（<strong class=\"greenFin\">"_s, u"</strong>"_s);
    if (high.isEmpty()) {
        QVERIFY2(!isNumeric(highValue), qPrintable(highValue));
        QCOMPARE(stopHigh, formatNumber(quote.limitUp));
    } else {
        QCOMPARE(highValue, high);
        QVERIFY(!page.contains(u"ストップ高"_s));
    }
    const QString lowValue = blockValue(page, u">安値"_s);
    const QString stopLow =
        cut(cut(page, u"ストップ安</span>"_s, u"</td>"_s), u"（<strong class=\"redFin\">"_s, u"</strong>"_s);
    if (low.isEmpty()) {
        QVERIFY2(!isNumeric(lowValue), qPrintable(lowValue));
        QCOMPARE(stopLow, formatNumber(quote.limitDown));
    } else {
        QCOMPARE(lowValue, low);
        QVERIFY(!page.contains(u"ストップ安"_s));
    }

    QCOMPARE(prevCloseOf(page), formatNumber(quote.prevClose));

    QString timeCell;
    if (quote.realTime) {
        QVERIFY(page.contains(u"リアルタイム株価</dd>"_s));
        timeCell = cut(page, u"yjSb real"_s, u"リアルタイム株価</dd>"_s);
    } else {
        QVERIFY(!page.contains(u"リアルタイム株価</dd>"_s));
        timeCell = cut(page, u"yjSb real"_s, u"20分ディレイ株価</dd>"_s);
    }
    QCOMPARE(cut(timeCell, u"<span>"_s, u"</span>"_s), time);
}

void TestMarketPages::notFoundPage()
{
    const QString page = tickora::market::notFoundPage(u"<script>x</script>"_s);
    QVERIFY(!page.contains(u"株価詳細"_s));
    QVERIFY(!page.contains(u"<script>"_s));
    QVERIFY(page.contains(u"&lt;script&gt;x&lt;/script&gt;"_s));
    QVERIFY(!page.contains(u"stoksPrice\""_s));
}

void TestMarketPages::nikkeiPage_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("prevClose");
    QTest::addColumn<int>("minute");
    QTest::addColumn<QString>("shownValue");
    QTest::addColumn<QString>("bracket");
    QTest::addColumn<QString>("fixed");
    QTest::newRow("up") << 22717.48 << 22594.03 << 15 * 60 << u"22,717.48"_s << u"+123.45"_s << u"15:00"_s;
    QTest::newRow("big fall") << 9800.5 << 10900.0 << 9 * 60 + 5 << u"9,800.50"_s << u"-1,099.50"_s
                              << u"9:05"_s;
    QTest::newRow("unchanged") << 38000.0 << 38000.0 << 12 * 60 + 30 << u"38,000.00"_s << u"0.00"_s
                               << u"12:30"_s;
    QTest::newRow("six figures") << 123456.78 << 100000.0 << 14 * 60 + 59 << u"123,456.78"_s
                                 << u"+23,456.78"_s << u"14:59"_s;
}

void TestMarketPages::nikkeiPage()
{
    QFETCH(double, value);
    QFETCH(double, prevClose);
    QFETCH(int, minute);
    QFETCH(QString, shownValue);
    QFETCH(QString, bracket);
    QFETCH(QString, fixed);
    IndexView ix;
    ix.value = value;
    ix.prevClose = prevClose;
    ix.open = ix.high = ix.low = value;
    ix.minute = minute;
    ix.date = QDate(2020, 7, 17);
    const QString page = tickora::market::nikkeiPage(ix);

    const qsizetype p = page.indexOf(u"cmn-index_value no-bg"_s);
    QVERIFY(p >= 0);
    QCOMPARE(cut(page.mid(p, 400), u"<b>"_s, u"</b>"_s), shownValue);
    // The fixed position is 1-based: character 9220 is index 9219.
    QCOMPARE(cut(page.mid(9219, 200), u"<b>"_s, u"</b>"_s), fixed);
    const qsizetype q = page.indexOf(u"cmn-indexes_index_link"_s);
    QVERIFY(q >= 0);
    const QString piece = page.mid(q, 50);
    const qsizetype a = piece.indexOf(u"</a>"_s);
    QVERIFY(a >= 0);
    QCOMPARE(cut(piece.mid(a, 20), u"("_s, u")"_s), bracket);
}

void TestMarketPages::formatting_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("base");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("percent");
    QTest::newRow("small") << 15.0 << 3333.0 << u"15"_s << u"+15"_s << u"+0.45%"_s;
    QTest::newRow("negative") << -3.0 << 1500.0 << u"-3"_s << u"-3"_s << u"-0.20%"_s;
    QTest::newRow("zero") << 0.0 << 1500.0 << u"0"_s << u"0"_s << u"0.00%"_s;
    QTest::newRow("millions") << 1234500.0 << 1e9 << u"1,234,500"_s << u"+1,234,500"_s << u"+0.12%"_s;
    QTest::newRow("rounding to zero") << -0.4 << 1000.0 << u"0"_s << u"0"_s << u"-0.04%"_s;
}

void TestMarketPages::formatting()
{
    QFETCH(double, value);
    QFETCH(double, base);
    QFETCH(QString, number);
    QFETCH(QString, change);
    QFETCH(QString, percent);
    QCOMPARE(formatNumber(value), number);
    QCOMPARE(formatChange(value), change);
    QCOMPARE(formatPercent(value, base), percent);
}

void TestMarketPages::exchangeTables_data()
{
    QTest::addColumn<double>("price");
    QTest::addColumn<double>("tick");
    QTest::addColumn<double>("limit");
    QTest::newRow("99") << 99.0 << 1.0 << 30.0;
    QTest::newRow("100") << 100.0 << 1.0 << 50.0;
    QTest::newRow("999") << 999.0 << 1.0 << 150.0;
    QTest::newRow("1000") << 1000.0 << 1.0 << 300.0;
    QTest::newRow("3000") << 3000.0 << 1.0 << 700.0;
    QTest::newRow("3001") << 3001.0 << 5.0 << 700.0;
    QTest::newRow("5001") << 5001.0 << 10.0 << 1000.0;
    QTest::newRow("30001") << 30001.0 << 50.0 << 7000.0;
    QTest::newRow("50001") << 50001.0 << 100.0 << 10000.0;
}

void TestMarketPages::exchangeTables()
{
    QFETCH(double, price);
    QFETCH(double, tick);
    QFETCH(double, limit);
    QCOMPARE(tickSize(price), tick);
    QCOMPARE(priceLimitWidth(price), limit);
    // Rounding lands on a tick of the band it lands in, also across a band edge.
    for (double p : {price - 2.6, price + 0.4, price + 3.7, 2999.6, 3002.4}) {
        const double r = roundToTick(p);
        QCOMPARE(std::fmod(r, tickSize(r)), 0.0);
        QVERIFY(std::abs(r - p) <= std::max(tickSize(p), tickSize(r)));
    }
}

void TestMarketPages::sameSeedSamePages()
{
    const QDate day(2020, 7, 17);
    Market a(sampleListings(), 7, day), b(sampleListings(), 7, day), c(sampleListings(), 8, day);
    bool differs = false;
    for (int i = 0; i < 40; ++i) {
        const QString code = i % 2 ? u"7203"_s : u"9984"_s;
        const QString pa = quotePage(*a.nextQuote(code));
        QCOMPARE(pa, quotePage(*b.nextQuote(code)));
        differs = differs || pa != quotePage(*c.nextQuote(code));
    }
    QCOMPARE(tickora::market::nikkeiPage(a.nextNikkei()), tickora::market::nikkeiPage(b.nextNikkei()));
    QVERIFY2(differs, "another seed gives other prices");
    QVERIFY(!a.nextQuote(u"0000"_s));
    QVERIFY(!a.nextQuote(u"7203 "_s));
}

void TestMarketPages::walkKeepsTheRules()
{
    InstrumentParams params = stockParams(11, u"7203"_s);
    params.dailySigma = 0.05; // lively, to reach the edges
    Instrument inst(99, params, QDate(2020, 7, 17));
    const qsizetype days = inst.history().size();
    QDate day = inst.date();
    double lastPrice = inst.price();
    qint64 lastVolume = inst.volume();
    int moves = 0;
    int dayChanges = 0;
    for (int i = 0; i < 2 * kSessionSteps + 10; ++i) {
        inst.step();
        if (inst.date() != day) {
            // The finished day joins the history and its close becomes the previous close.
            QCOMPARE(inst.date(), nextWeekday(day));
            ++dayChanges;
            QCOMPARE(inst.history().last().close, lastPrice);
            QCOMPARE(inst.prevClose(), lastPrice);
            QCOMPARE(inst.minute(), 9 * 60);
            day = inst.date();
        } else {
            QVERIFY(inst.volume() >= lastVolume);
        }
        const double p = inst.price();
        moves += p != lastPrice;
        QCOMPARE(roundToTick(p), p);
        QVERIFY(p >= inst.limitDown() && p <= inst.limitUp());
        QVERIFY(inst.low() <= p && p <= inst.high());
        QCOMPARE(inst.open(), inst.ticks().first().price);
        QVERIFY(inst.minute() >= 9 * 60 && inst.minute() <= 15 * 60);
        QVERIFY(inst.minute() <= 11 * 60 + 30 || inst.minute() >= 12 * 60 + 30);
        lastPrice = p;
        lastVolume = inst.volume();
    }
    QCOMPARE(dayChanges, 2);
    QCOMPARE(inst.history().size(), days + 2);
    QVERIFY2(moves > kSessionSteps / 3, "prices move between requests");
    QVERIFY(inst.volume() > 0);
}

void TestMarketPages::limitFormsAppearSometimes()
{
    QList<Listing> listings;
    for (int code = 1000; code < 1600; ++code)
        listings.append({QString::number(code), u"テスト"_s + QString::number(code)});
    Market market(listings, 5, QDate(2020, 7, 17), sessionStepAt(14 * 60));
    int limitForms = 0;
    for (const Listing& l : std::as_const(listings)) {
        const QuoteView q = *market.nextQuote(l.code);
        const QString page = quotePage(q);
        limitForms += page.contains(u"ストップ高</span>"_s) || page.contains(u"ストップ安</span>"_s);
        QCOMPARE(q.limitUpReached, q.high >= q.limitUp);
        QVERIFY(q.price >= 10 && q.price <= 200000);
    }
    QVERIFY2(limitForms >= 3 && limitForms <= 60, qPrintable(QString::number(limitForms)));
}

void TestMarketPages::chartsShareTheQuoteHistory()
{
    Market market(sampleListings(), 3, QDate(2020, 7, 17));
    QuoteView q;
    for (int i = 0; i < 30; ++i)
        q = *market.nextQuote(u"9984"_s);
    const ChartSeries s = *market.stockSeries(u"9984.T"_s);
    QCOMPARE(s.ticks.size(), 30);
    QCOMPARE(s.ticks.last().price, q.price);
    QCOMPARE(s.bars.last().close, q.price);
    QCOMPARE(s.bars.last().high, q.high);
    QCOMPARE(s.bars.last().volume, q.volume);
    QCOMPARE(s.prevClose, q.prevClose);
    QVERIFY(s.bars.size() > 260);
    QVERIFY(!market.stockSeries(u"4444.T"_s));
    QCOMPARE(market.nikkeiSeries().code, u"998407"_s);
}

void TestMarketPages::codeListShapes_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QStringList>("expected"); // code=name pairs

    QStringEncoder sjis("Shift_JIS");
    const QByteArray cp932 =
        sjis.encode(u"1301,\"極洋\"\r\n1332,\"日本水産\"\r\n2593,\"伊藤園 優先株式\"\r\n"_s);
    QTest::newRow("cp932 crlf quoted")
        << cp932 << QStringList{u"1301=極洋"_s, u"1332=日本水産"_s, u"2593=伊藤園 優先株式"_s};
    QTest::newRow("utf8 with header") << u"code,name\n1301,極洋\n7203,トヨタ自動車\n"_s.toUtf8()
                                      << QStringList{u"1301=極洋"_s, u"7203=トヨタ自動車"_s};
    QTest::newRow("later line wins") << u"1301,旧名\r\n7203,トヨタ自動車\r\n1301,極洋\r\n"_s.toUtf8()
                                     << QStringList{u"1301=極洋"_s, u"7203=トヨタ自動車"_s};
    QTest::newRow("junk skipped")
        << u"\r\n,x\r\nabc\r\n1301,\r\n\"7203\",\"トヨタ自動車\"\r\nzz,名前\r\n"_s.toUtf8()
        << QStringList{u"7203=トヨタ自動車"_s};
    QTest::newRow("empty") << QByteArray() << QStringList{};
}

void TestMarketPages::codeListShapes()
{
    QFETCH(QByteArray, data);
    QFETCH(QStringList, expected);
    QStringList got;
    for (const Listing& l : readCodeList(data))
        got.append(l.code + u'=' + l.name);
    QCOMPARE(got, expected);
}

QTEST_GUILESS_MAIN(TestMarketPages)
#include "tst_marketpages.moc"
