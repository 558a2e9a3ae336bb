// Charts drawn at a screen's device pixel ratio: more pixels, the same chart in units.
#include "charts/chartpainter.h"

#include <QTest>

#include <cmath>

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

} // namespace

class TestChartDensity : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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
            if (kind == u"intraday"_s)
                return drawIntradayChart(s, size, o);
            if (kind == u"year"_s)
                return drawYearChart(s, size, o);
            if (kind == u"half year"_s)
                return drawHalfYearChart(s, size, o);
            if (kind == u"index half year"_s)
                return drawIndexHalfYearChart(s, size, o);
            if (kind == u"comparison"_s)
                return drawComparisonChart(s, s, size, o);
            if (kind == u"line"_s)
                return drawLineChart(s, size, o);
            if (kind == u"ratio"_s)
                return drawRatioChart(s, ramp(60, 90, 1), size, o);
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

QTEST_MAIN(TestChartDensity)
#include "tst_chartdensity.moc"
