// Exact pictures of every chart kind, properties that hold for any series drawn, and charts drawn
// at a screen's device pixel ratio.
#include "charts/chartcanvas.h"
#include "charts/chartpainter.h"

#include <QDir>
#include <QGuiApplication>
#include <QTest>

#include <cmath>
#include <functional>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

constexpr double N = std::numeric_limits<double>::quiet_NaN();
constexpr qint64 Day = 86400;
constexpr qint64 TokyoMidnight = 1758121200; // 2025-09-18 00:00 +09:00

// Bars from 2025-09-18 in Tokyo, `step` seconds apart; open is the previous close.
PriceSeries daily(const QList<double>& closes, qint64 step = Day)
{
    PriceSeries s{u"7203.T"_s, u"トヨタ自動車"_s, {}, N, N, 32400, {}};
    for (qsizetype i = 0; i < closes.size(); ++i) {
        const double open = i > 0 ? closes[i - 1] : closes[i];
        s.bars.append({TokyoMidnight + i * step, open, std::max(open, closes[i]) + 1,
                       std::min(open, closes[i]) - 1, closes[i], 1000.0 * double(i + 1)});
    }
    return s;
}

QList<double> ramp(int n, double from, double by)
{
    QList<double> v;
    for (int i = 0; i < n; ++i)
        v.append(from + by * i);
    return v;
}

using Draw = std::function<DrawnChart(const PriceSeries&, QSize, const ChartOptions&)>;

QList<std::pair<const char*, Draw>> everyChart()
{
    using S = const PriceSeries&;
    using O = const ChartOptions&;
    return {
        {"intraday", [](S s, QSize z, O o) { return drawIntradayChart(s, z, o); }},
        {"year", [](S s, QSize z, O o) { return drawYearChart(s, z, o); }},
        {"half year", [](S s, QSize z, O o) { return drawHalfYearChart(s, z, o); }},
        {"index half year", [](S s, QSize z, O o) { return drawIndexHalfYearChart(s, z, o); }},
        {"comparison", [](S s, QSize z, O o) { return drawComparisonChart(s, s, z, o); }},
        {"line", [](S s, QSize z, O o) { return drawLineChart(s, z, o); }},
        {"ratio", [](S s, QSize z, O o) { return drawRatioChart(s, ramp(int(s.bars.size()), 90, 1), z, o); }},
    };
}

} // namespace

class TestChartPainter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Label steps of 1, 2, 2.5 or 5 times a power of ten.
    void valueAxisSteps_data()
    {
        QTest::addColumn<double>("range");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<double>("step");
        QTest::newRow("2") << 10.0 << 5 << 2.0;
        QTest::newRow("2.5") << 10.0 << 4 << 2.5;
        QTest::newRow("5") << 9.0 << 2 << 5.0;
        QTest::newRow("2.5 for 7.5") << 7.5 << 3 << 2.5;
        QTest::newRow("10") << 10.0 << 1 << 10.0;
        QTest::newRow("a tenth") << 0.3 << 3 << 0.1;
        QTest::newRow("no range") << 0.0 << 5 << 1.0;
        QTest::newRow("no ticks") << 5.0 << 0 << 1.0;
    }
    void valueAxisSteps()
    {
        QFETCH(double, range);
        QFETCH(int, ticks);
        QFETCH(double, step);
        QCOMPARE(niceStep(range, ticks), step);
    }

    // Digits after the point: enough for a step under 1; the prices' own where a step of 1 or more
    // is not whole; at most six.
    void valueLabelDigits_data()
    {
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("priceDecimals"); ///< -1: not known
        QTest::addColumn<int>("digits");
        QTest::newRow("2.5, prices of two digits") << 2.5 << 2 << 2;
        QTest::newRow("2.5, prices' digits not known") << 2.5 << -1 << 0;
        QTest::newRow("whole step 2") << 2.0 << 2 << 0;
        QTest::newRow("whole step 1") << 1.0 << 2 << 0;
        QTest::newRow("0.5") << 0.5 << 0 << 1;
        QTest::newRow("0.025") << 0.025 << 2 << 2;
        QTest::newRow("a tiny step, six at most") << 1e-9 << 0 << 6;
    }
    void valueLabelDigits()
    {
        QFETCH(double, step);
        QFETCH(int, priceDecimals);
        QFETCH(int, digits);
        QCOMPARE(valueLabelDecimals(step, priceDecimals), digits);
    }

    // A pane's value range: a bound missing or the bounds upside down give 0 to 1; a flat range is
    // padded by 1% (at least 1); then the margin is added on both sides.
    void valueRanges_data()
    {
        QTest::addColumn<double>("lo");
        QTest::addColumn<double>("hi");
        QTest::addColumn<double>("margin");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::newRow("in order") << 10.0 << 20.0 << 0.0 << 10.0 << 20.0;
        QTest::newRow("with a margin") << 10.0 << 20.0 << 0.1 << 9.0 << 21.0;
        QTest::newRow("upside down") << 20.0 << 10.0 << 0.0 << 0.0 << 1.0;
        QTest::newRow("no top") << 10.0 << N << 0.0 << 0.0 << 1.0;
        QTest::newRow("no bottom") << N << 10.0 << 0.0 << 0.0 << 1.0;
        QTest::newRow("flat") << 500.0 << 500.0 << 0.0 << 495.0 << 505.0;
        QTest::newRow("flat at zero") << 0.0 << 0.0 << 0.0 << -1.0 << 1.0;
    }
    void valueRanges()
    {
        QFETCH(double, lo);
        QFETCH(double, hi);
        QFETCH(double, margin);
        QFETCH(double, low);
        QFETCH(double, high);
        ChartPane pane;
        chartdraw::setRange(pane, lo, hi, margin);
        QCOMPARE(std::pair(pane.low, pane.high), std::pair(low, high));
    }

    // Even in the smallest picture the panes lie apart between the title and the time labels, in order.
    void layout()
    {
        const ChartLayout l = chartLayout(ChartKind::NikkeiHalfYear, QSize(5, 0));
        QCOMPARE(l.size, QSize(32, 32));
        QString roles; // in PaneRole order: P price, V volume, R RSI, W Williams %R, Q ratio
        double top = l.title.bottom();
        for (const ChartPane& p : l.panes) {
            roles += u"PVRWQ"_s.at(int(p.role));
            QVERIFY(p.rect.top() > top && !p.rect.isEmpty() && QRectF(QPoint(), l.size).contains(p.rect));
            top = p.rect.bottom();
        }
        QCOMPARE(roles, u"PRW"_s);
        QVERIFY(top <= l.timeAxis.top());
        for (const int h : {61, 62}) { // from 62 pixels high there is room for the title and time labels
            const ChartLayout sized = chartLayout(ChartKind::NikkeiHalfYear, QSize(100, h));
            QCOMPARE(std::pair(sized.title.isEmpty(), sized.timeAxis.isEmpty()), std::pair(h < 62, h < 62));
        }
    }

    // Data that cannot make a chart gives the empty frame; awkward data still draws.
    // Broken or absurd series: each chart at its size, with the usable bars (none: the empty frame).
    void awkwardData()
    {
        PriceSeries epoch = daily({1000}), broken = daily({100, 101, 102});
        epoch.bars[0].time = 0;
        broken.bars[1].high = broken.bars[1].volume = broken.bars[2].open = N;
        broken.bars[1].low = -qInf();
        const std::tuple<const char*, PriceSeries, int> rows[] = {
            {"no bars", daily({}), 0},
            {"absurd values", daily({1e300, -1e300}), 0},
            {"one past and at the value cap", daily({1e15 + 2, 1e15}), 1},
            {"one bar, at the epoch", epoch, 1},
            {"flat", daily(QList<double>(30, 500)), 30},
            {"some non-finite", daily({1000, N, 1010, N, 1020}), 3},
            {"broken high, low, volume, open", broken, 3}};
        PriceSeries none = daily({100, 101, 102}), unusable = none; // volumes: none, and none usable
        for (qsizetype i = 0; i < none.bars.size(); ++i)
            none.bars[i].volume = 0, unusable.bars[i].volume = i ? N : -qInf();
        QCOMPARE(drawYearChart(unusable, QSize(512, 400)).image, drawYearChart(none, QSize(512, 400)).image);
        for (auto [row, series, shown] : rows) {
            series.previousClose = N;
            for (const QSize size : {QSize(150, 100), QSize(512, 400)}) {
                for (const auto& [name, draw] : everyChart()) {
                    const DrawnChart c = draw(series, size, {});
                    const bool intraday = QByteArray(name) == "intraday"; // keeps only the last day
                    QVERIFY2(c.image.size() == size && chartIsEmpty(c) == (shown == 0) &&
                                 (intraday || c.shownBars == shown),
                             qPrintable(QString::fromUtf8(row) + u' ' + QString::fromUtf8(name)));
                }
            }
        }
    }

    // Every chart kind matches its checked-in picture pixel for pixel; TICKORA_UPDATE_GOLDEN=1 rewrites them.
    void goldenPictures()
    {
        QList<double> zigzag;
        for (int i = 0; i < 300; ++i)
            zigzag.append(1000 + 2 * i + (i % 3 == 0 ? -12 : 7) + (i % 7 == 0 ? 20 : 0));
        PriceSeries year = daily(zigzag);
        for (qsizetype i = 0; i < year.bars.size(); i += 5)
            year.bars[i].volume = i % 10 ? 0 : qInf(); // an unusable volume draws as none
        PriceSeries half = year;
        half.bars = year.bars.mid(270);
        PriceSeries day = daily(zigzag.mid(0, 13), 600); // 9:00 .. 11:00 of one day
        for (PriceBar& b : day.bars)
            b.time += 9 * 3600;
        day.bars.prepend({day.bars.first().time - Day, 500, 500, 500, 500, 0}); // the day before
        day.previousClose = 1001;
        const ChartOptions session{{}, -1, 9 * 60, 15 * 60}, wholeDay{{}, -1, 0, 24 * 60};
        PriceSeries second = daily(ramp(40, 2000, -5));
        second.symbol = u"^N225"_s;
        second.name.clear();
        PriceSeries early = daily(zigzag.mid(0, 40)), single = daily({1010});
        single.previousClose = 1010; // unchanged since the close before: drawn as rising
        QList<double> ratio = ramp(40, 60, 2);
        ratio[10] = N;
        const std::pair<QString, DrawnChart> charts[] = {
            {u"intraday"_s, drawIntradayChart(day, QSize(288, 180), session)},
            {u"thumbnail"_s, drawIntradayChart(day, QSize(150, 100))},
            {u"intraday-240"_s,
             drawIntradayChart(day, QSize(240, 150), session)}, // hourly labels from 240 up
            {u"whole-day"_s, drawIntradayChart(day, QSize(240, 150), wholeDay)},
            {u"single-bar"_s, drawIntradayChart(single, QSize(200, 120))},
            {u"flat"_s, drawLineChart(daily(QList<double>(30, 500)), QSize(200, 120))},
            {u"year"_s, drawYearChart(year, QSize(512, 400))},
            {u"year-narrow"_s, drawYearChart(year, QSize(160, 200))}, // date labels that would overlap
            {u"half-year"_s, drawHalfYearChart(half, QSize(512, 390))},
            {u"index-half-year"_s, drawIndexHalfYearChart(year, QSize(537, 377))},
            {u"comparison"_s, drawComparisonChart(early, second, QSize(400, 300))},
            {u"line"_s, drawLineChart(half, QSize(400, 300))},
            {u"ratio"_s, drawRatioChart(early, ratio, QSize(600, 400))},
            {u"empty"_s, drawEmptyChart(ChartKind::Year, QSize(300, 200), u"トヨタ自動車"_s)},
        };
        QStringList wrong;
        for (const auto& [name, chart] : charts) {
            const QString golden = QStringLiteral(TICKORA_TEST_DATA "/chart-") + name + u".png"_s;
            if (qEnvironmentVariableIntValue("TICKORA_UPDATE_GOLDEN") == 1)
                QVERIFY(chart.image.save(golden));
            else if (QImage(golden).convertToFormat(chart.image.format()) != chart.image) {
                const QString drawn = QDir::temp().filePath(u"chart-"_s + name + u".png"_s);
                wrong.append(golden + u" differs from the drawn "_s + drawn); // kept there to compare
                chart.image.save(drawn);
            }
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
    }

    // Dates are the exchange's local dates; the last value names the close and its change.
    void texts()
    {
        PriceSeries s = daily({2600, 2648.5});
        s.bars[0].time = TokyoMidnight - 3600; // 23:00 in Tokyo on 09-17
        const DrawnChart year = drawYearChart(s, QSize(512, 400));
        QCOMPARE(year.rangeText, u"2025/09/17～2025/09/19"_s);
        QCOMPARE(year.lastText, u"終値 2,648.50 +48.50 (+1.87%)"_s);
        QCOMPARE(drawYearChart(s, QSize(512, 400), {{}, 0}).lastText,
                 u"終値 2,649 +49 (+1.87%)"_s); // as asked
        s.previousClose = 2000; // daily bars are told against the bar before, not a day's close
        QCOMPARE(drawYearChart(s, QSize(512, 400)).lastText, year.lastText);
        QCOMPARE(drawLineChart(s, QSize(512, 400)).lastText, year.lastText);
        s.previousClose = N;
        s.gmtOffset = -4 * 3600; // New York: the same instants fall on the day before
        QCOMPARE(drawLineChart(s, QSize(300, 200)).rangeText, u"2025/09/17～2025/09/18"_s);
        // One series is enough for a comparison; a ratio may be shorter than its bars.
        QVERIFY(!chartIsEmpty(drawComparisonChart(s, {}, QSize(300, 200))) &&
                !chartIsEmpty(drawRatioChart(daily(ramp(5, 100, 1)), {95}, QSize(300, 200))));
        // Two falling series: the range runs from their lowest change up to 0%, no higher.
        const DrawnChart falling =
            drawComparisonChart(daily(ramp(10, 100, -1)), daily(ramp(10, 50, -0.5)), QSize(300, 200));
        const ChartPane* changes = falling.layout.pane(PaneRole::Price);
        QVERIFY(changes && changes->low < -9 && changes->high > 0 && changes->high < 1);
        // 184 days back by default; a ratio of no values, and volumes all 0, still get a range.
        PriceSeries repeated = daily(ramp(300, 100, 1));
        repeated.bars[1].time = repeated.bars[0].time; // a time given twice is still in order
        const DrawnChart noRatio = drawRatioChart(repeated, {}, QSize(300, 200));
        QCOMPARE(noRatio.shownBars, 185);
        ChartOptions lastDay; // a window asked for, however short, is kept
        lastDay.windowDays = 1;
        QCOMPARE(drawRatioChart(repeated, {}, QSize(300, 200), lastDay).shownBars, 2);
        // The ratio is cut with its bars: of ratios 1 to 300, the last 185 are drawn.
        const DrawnChart rising = drawRatioChart(repeated, ramp(300, 1, 1), QSize(300, 200));
        QVERIFY(rising.layout.pane(PaneRole::Ratio)->low > 1 &&
                rising.layout.pane(PaneRole::Ratio)->high >= 300);
        std::swap(repeated.bars[0].time, repeated.bars[2].time); // out of order: drawn from its start
        QCOMPARE(drawRatioChart(repeated, {}, QSize(300, 200)).shownBars, 300);
        PriceSeries still = daily(QList<double>(30, 500));
        for (PriceBar& b : still.bars)
            b.volume = 0;
        const DrawnChart noVolume = drawYearChart(still, QSize(300, 200));
        for (const ChartPane* p :
             {noRatio.layout.pane(PaneRole::Ratio), noVolume.layout.pane(PaneRole::Volume)})
            QVERIFY(p && p->low < p->high);
        // The volume pane names its top volume in 万 from 10,000 and in 億 from 100,000,000.
        QStringList volumes;
        for (const double v : {9999.0, 10000.0, 123456.0, 1e8, 1.25e8})
            volumes << chartdraw::Canvas::compactVolume(v);
        QCOMPARE(volumes, QStringList({u"9,999"_s, u"1万"_s, u"12万"_s, u"1.0億"_s, u"1.3億"_s}));
        const DrawnChart day = drawIntradayChart(daily(ramp(5, 100, 1), 300), QSize(150, 100));
        QCOMPARE(day.rangeText + u'|' + day.lastText, u"2025/09/18|104"_s);
        // The day chart's price range stretches to hold the previous close; the change is against it.
        for (const double previousClose : {990.0, 1200.0}) {
            s = daily(ramp(30, 1000, 4), 600);
            s.previousClose = previousClose;
            const DrawnChart c = drawIntradayChart(s, QSize(150, 100));
            const ChartPane& p = *c.layout.pane(PaneRole::Price);
            QVERIFY(p.low <= previousClose && previousClose <= p.high);
            QVERIFY2(c.lastText.startsWith(previousClose < 1116 ? u"1,116 +"_s : u"1,116 -"_s),
                     qPrintable(c.lastText));
        }
    }

    // The break between the sessions is shaded and no line crosses it; without a break, one does.
    void lunchBreak()
    {
        PriceSeries day = daily({}, 0);
        for (int minute = 9 * 60; minute <= 15 * 60 + 30; minute += 10)
            if (minute <= 11 * 60 + 30 || minute >= 12 * 60 + 30)
                day.bars.append({TokyoMidnight + minute * 60, 0, 0, 0, 1000.0 + minute % 70, 0});
        ChartOptions o{{}, -1, 9 * 60, 15 * 60 + 30};
        const auto inkAt = [](const DrawnChart& c, int minute) {
            const QRectF r = c.layout.pane(PaneRole::Price)->rect;
            const int x = int(r.left() + r.width() * (minute - 9 * 60) / 390.0);
            int ink = 0;
            QColor shade;
            for (int y = int(r.top()) + 2; y < int(r.bottom()) - 1; ++y) {
                const QColor c2 = c.image.pixelColor(x, y);
                ink += std::abs(c2.red() - c2.blue()) > 40; // the red or blue line, not the greys
                shade = c2 == QColor(0xf4, 0xf4, 0xf4) ? c2 : shade;
            }
            return std::pair(ink, shade.isValid());
        };
        QCOMPARE(inkAt(drawIntradayChart(day, QSize(390, 200), o), 12 * 60 + 10).first > 0, true);
        o.breakStartMinute = 11 * 60 + 30;
        o.breakEndMinute = 12 * 60 + 30;
        const DrawnChart gap = drawIntradayChart(day, QSize(390, 200), o);
        QCOMPARE(inkAt(gap, 12 * 60 + 10), std::pair(0, true));
        QVERIFY(inkAt(gap, 11 * 60 + 5).first > 0 && inkAt(gap, 13 * 60 + 5).first > 0);
        QCOMPARE(inkAt(gap, 10 * 60 + 25).second, false); // shaded in the break only
        // A break outside the session is none.
        o.breakEndMinute = 16 * 60;
        QVERIFY(inkAt(drawIntradayChart(day, QSize(390, 200), o), 12 * 60 + 10).first > 0);
        // A price stamped in the break is no price of the day: the line does not reach into it.
        o.breakEndMinute = 12 * 60 + 30;
        PriceSeries late = day;
        late.bars.insert(16, {TokyoMidnight + (12 * 60 + 28) * 60, 0, 0, 0, 1300, 0});
        QCOMPARE(late.bars[15].time, TokyoMidnight + (11 * 60 + 30) * 60);
        QCOMPARE(inkAt(drawIntradayChart(late, QSize(390, 200), o), 12 * 60 + 10), std::pair(0, true));
        // A session that ends before it starts, or past midnight, is none: the day is drawn as without.
        const QImage noSession = drawIntradayChart(day, QSize(390, 200)).image;
        for (const auto& [start, end] : {std::pair(9 * 60, 9 * 60), std::pair(9 * 60, 24 * 60 + 1)})
            QCOMPARE(drawIntradayChart(day, QSize(390, 200), {{}, -1, start, end}).image, noSession);
    }

    // A day of the dollar-yen rate in 5-minute bars: dated by its last bar, the date never cut, hour
    // labels on the time axis, the change against the day's previous close.
    void lineOfADay()
    {
        PriceSeries fx{u"JPY=X"_s, u"USD/JPY"_s, {}, N, N, 32400, {}};
        for (int i = 0; i < 288; ++i) { // 15:00 on 09-18 to 14:55 on 09-19
            const double p = 105 + 0.3 * std::sin(i / 20.0);
            fx.bars.append({TokyoMidnight + 15 * 3600 + i * 300, p, p + 0.01, p - 0.01, p, 0});
        }
        fx.previousClose = 104.5;
        const DrawnChart c = drawLineChart(fx, QSize(360, 360), {u"USD/JPY 5分足"_s, 3});
        QCOMPARE(c.rangeText, u"2025/09/19"_s);
        QVERIFY2(c.titleShown.endsWith(u"  2025/09/19"_s), qPrintable(c.titleShown));
        QVERIFY2(c.lastText.startsWith(u"終値 105."_s) && c.lastText.contains(u" +0."_s),
                 qPrintable(c.lastText));
        // A long title gives way to the date.
        const DrawnChart longTitle = drawLineChart(fx, QSize(360, 360), {QString(40, u'円'), 3});
        QVERIFY2(longTitle.titleShown.endsWith(u"…  2025/09/19"_s), qPrintable(longTitle.titleShown));
        // Labels under the pane: ink in the time axis strip.
        const QRect axis = c.layout.timeAxis.toAlignedRect().intersected(c.image.rect());
        int ink = 0;
        for (int y = axis.top(); y <= axis.bottom(); ++y)
            for (int x = axis.left(); x <= axis.right(); ++x)
                ink += qGray(c.image.pixel(x, y)) < 128;
        QVERIFY2(ink > 40, qPrintable(QString::number(ink)));
        // Daily bars keep their range of dates and their labels of months.
        QCOMPARE(drawLineChart(daily(ramp(40, 100, 1)), QSize(360, 360)).rangeText,
                 u"2025/09/18～2025/10/27"_s);
    }

    // A time label is drawn in the time labels' own font, whatever font was used last.
    void timeLabelFont_data()
    {
        QTest::addColumn<QString>("before");
        QTest::newRow("the title") << u"title"_s;
        QTest::newRow("a large bold font") << u"large"_s;
    }
    void timeLabelFont()
    {
        QFETCH(QString, before);
        const auto ticks = [](const QString& first) {
            chartdraw::Canvas c(ChartKind::Line, QSize(300, 200));
            if (first == u"title"_s)
                c.title(u"トヨタ自動車  2025/09/18"_s, u"終値 2,648.5"_s);
            QFont large(u"IPAPGothic"_s);
            large.setPixelSize(30);
            large.setBold(true);
            if (first == u"large"_s)
                c.painter().setFont(large);
            const ChartLayout layout = c.layout();
            c.timeTick(60, u"10:00"_s);
            c.timeTick(200, u"12/9"_s);
            return c.finish().image.copy(layout.timeAxis.toAlignedRect());
        };
        // The same labels as on a fresh canvas, where nothing set a font before them.
        QCOMPARE(ticks(before), ticks(QString()));
        chartdraw::Canvas c(ChartKind::Line, QSize(300, 200));
        c.timeTick(60, u"10:00"_s);
        QCOMPARE(c.painter().font().pixelSize(),
                 chartdraw::chartFont(chartdraw::fontPixels(QSize(300, 200)) - 1).pixelSize());
        c.finish();
    }

    // Only bars within the sessions are drawn, whoever stamped them; both edges of each belong to it.
    void barsOutsideTheSessions_data()
    {
        QTest::addColumn<QTime>("stamp");
        QTest::addColumn<bool>("drawn");
        QTest::newRow("before the opening") << QTime(8, 59, 59) << false;
        QTest::newRow("the opening") << QTime(9, 0) << true;
        QTest::newRow("the morning's last minute") << QTime(11, 30, 59) << true;
        QTest::newRow("early in the break") << QTime(11, 31) << false;
        QTest::newRow("late in the break") << QTime(12, 28) << false;
        QTest::newRow("a second before the afternoon") << QTime(12, 29, 59) << false;
        QTest::newRow("the afternoon's opening") << QTime(12, 30) << true;
        QTest::newRow("the close's minute") << QTime(15, 30, 40) << true;
        QTest::newRow("after the close") << QTime(15, 31) << false;
        QTest::newRow("late evening") << QTime(22, 0) << false;
    }
    void barsOutsideTheSessions()
    {
        QFETCH(QTime, stamp);
        QFETCH(bool, drawn);
        PriceSeries day = daily({}, 0);
        for (const int minute : {10 * 60, 11 * 60, 13 * 60, 14 * 60})
            day.bars.append({TokyoMidnight + minute * 60, 0, 0, 0, 1000.0 + minute, 0});
        day.bars.append({TokyoMidnight + stamp.msecsSinceStartOfDay() / 1000, 0, 0, 0, 5000, 0});
        ChartOptions o{{}, -1, 9 * 60, 15 * 60 + 30};
        o.breakStartMinute = 11 * 60 + 30;
        o.breakEndMinute = 12 * 60 + 30;
        const DrawnChart c = drawIntradayChart(day, QSize(390, 200), o);
        QCOMPARE(c.shownBars, drawn ? 5 : 4);
        // The price range holds the stray price only when it is drawn.
        QCOMPARE(c.layout.pane(PaneRole::Price)->high > 5000, drawn);
        // Nothing but stray bars: the empty frame.
        day.bars = day.bars.mid(4);
        QCOMPARE(chartIsEmpty(drawIntradayChart(day, QSize(390, 200), o)), !drawn);
    }

    // At two pixels per unit every chart is drawn anew at twice the pixels, not enlarged: the same
    // layout in units, a picture that says its ratio, and finer detail than the enlarged one has.
    void highDensity_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<double>("ratio");
        for (const char* kind :
             {"intraday", "year", "half year", "index half year", "comparison", "line", "ratio", "empty"})
            for (const double ratio : {1.5, 2.0, 3.0})
                QTest::addRow("%s at %.1f", kind, ratio) << QString::fromLatin1(kind) << ratio;
    }
    void highDensity()
    {
        QFETCH(QString, kind);
        QFETCH(double, ratio);
        PriceSeries s = daily(ramp(60, 1000, 3), kind == u"intraday"_s ? 600 : Day);
        s.previousClose = 1050;
        const QSize size(300, 200);
        const auto draw = [&](double r) {
            ChartOptions o;
            o.devicePixelRatio = r;
            for (const auto& [name, chart] : everyChart())
                if (kind == QLatin1StringView(name))
                    return chart(s, size, o);
            return drawEmptyChart(ChartKind::Year, size, u"トヨタ自動車"_s, r);
        };
        const DrawnChart one = draw(1), dense = draw(ratio);
        QCOMPARE(one.image.devicePixelRatio(), 1.0);
        QCOMPARE(dense.image.size(), (QSizeF(size) * ratio).toSize());
        QCOMPARE(dense.image.devicePixelRatio(), ratio);
        QCOMPARE(dense.image.deviceIndependentSize().toSize(), size);
        QCOMPARE(dense.layout.size, one.layout.size);
        QCOMPARE(dense.lastText, one.lastText);
        QCOMPARE(dense.empty, one.empty);
        // Not the picture of one pixel per unit enlarged: that one has no detail within a unit.
        const QImage enlarged =
            one.image.scaled(dense.image.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
        QVERIFY(dense.image.convertToFormat(enlarged.format()) != enlarged);
    }

    // The ratio a chart is drawn at: from 1 to 4, and 1 for nonsense.
    void drawingRatios_data()
    {
        QTest::addColumn<double>("asked");
        QTest::addColumn<double>("drawn");
        QTest::newRow("1") << 1.0 << 1.0;
        QTest::newRow("1.25") << 1.25 << 1.25;
        QTest::newRow("2") << 2.0 << 2.0;
        QTest::newRow("none") << 0.0 << 1.0;
        QTest::newRow("below 1") << 0.5 << 1.0;
        QTest::newRow("huge") << 1e9 << 4.0;
        QTest::newRow("not a number") << N << 1.0;
        QTest::newRow("infinite") << qInf() << 1.0;
    }
    void drawingRatios()
    {
        QFETCH(double, asked);
        QFETCH(double, drawn);
        QCOMPARE(drawingRatio(asked), drawn);
        const DrawnChart empty = drawEmptyChart(ChartKind::Intraday, QSize(100, 60), u"x"_s, asked);
        QCOMPARE(empty.image.size(), (QSizeF(100, 60) * drawn).toSize());
    }
};

QTEST_MAIN(TestChartPainter)
#include "tst_chartpainter.moc"
