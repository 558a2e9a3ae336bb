// The refresh pass's price targets: told, chimed, coloured, and latched until the price leaves them.
#include "quotes/refreshpass.h"
#include "support/passhost.h"

#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

/// One pass of a row with targets: what the page gives and what the pass makes of it.
struct TargetStep
{
    QString price;     ///< the page's price; "other": a page without a detail table; "404": a failed fetch
    QString buy, sell; ///< the targets in the row
    QString told;      ///< the targets told, "sell" or "buy", blank-separated
    QString chimes;    ///< the chimes played
    QString coloured;  ///< the target cells shown in their colour ("?": in the other's colour)
    QString code = {}; ///< the row's code; empty: its usual code
};
Q_DECLARE_METATYPE(TargetStep)

using Steps = QList<TargetStep>;

class TestPassTargets : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void targetsToldChimedColouredAndLatched_data()
    {
        QTest::addColumn<bool>("muted");
        QTest::addColumn<QList<TargetStep>>("passes");
        const TargetStep sold{u"2,700"_s, {}, u"2,700"_s, u"sell"_s, u"sell"_s, u"sell"_s};
        const TargetStep above{u"2,800"_s, {}, u"2,700"_s, u"sell"_s, u"sell"_s, u"sell"_s};
        QTest::newRow("sell target told once while the price stays at or above it")
            << false
            << Steps{sold,
                     {u"2,750"_s, {}, u"2,700"_s, {}, u"sell"_s, u"sell"_s},
                     {u"2,700"_s, {}, u"2700"_s, {}, u"sell"_s, u"sell"_s}};
        QTest::newRow("told again after the price fell below")
            << false
            << Steps{sold,
                     {u"2,699"_s, {}, u"2,700"_s, {}, {}, {}},
                     {u"2,710"_s, {}, u"2,700"_s, u"sell"_s, u"sell"_s, u"sell"_s}};
        QTest::newRow("both targets reached at once")
            << false
            << Steps{{u"1,500"_s, u"1500"_s, u"1,500.0"_s, u"sell buy"_s, u"sell buy"_s, u"sell buy"_s},
                     {u"1,500"_s, u"1500"_s, u"1,500"_s, {}, u"sell buy"_s, u"sell buy"_s},
                     {u"1,400"_s, u"1500"_s, u"1,500"_s, {}, u"buy"_s, u"buy"_s}};
        QTest::newRow("a changed target is told once")
            << false
            << Steps{above,
                     {u"2,800"_s, {}, u"2,750"_s, u"sell"_s, u"sell"_s, u"sell"_s},
                     {u"2,800"_s, {}, u"2,750"_s, {}, u"sell"_s, u"sell"_s}};
        QTest::newRow("a target cleared and set again")
            << false << Steps{above, {u"2,800"_s, {}, {}, {}, {}, {}}, above};
        QTest::newRow("another code in the row")
            << false
            << Steps{above,
                     {u"2,800"_s, {}, u"2,700"_s, u"sell"_s, u"sell"_s, u"sell"_s, u"7203"_s},
                     {u"2,800"_s, {}, u"2,700"_s, {}, u"sell"_s, u"sell"_s, u"7203"_s}};
        QTest::newRow("no detail page, a failed fetch and no price keep the colour")
            << false
            << Steps{{u"500"_s, u"600"_s, {}, u"buy"_s, u"buy"_s, u"buy"_s},
                     {u"other"_s, u"600"_s, {}, {}, {}, u"buy"_s},
                     {u"404"_s, u"600"_s, {}, {}, {}, u"buy"_s},
                     {{}, u"600"_s, {}, {}, {}, {}},
                     {u"500"_s, u"600"_s, {}, {}, u"buy"_s, u"buy"_s}};
        QTest::newRow("muted: told and coloured without chimes")
            << true
            << Steps{{u"500"_s, u"600"_s, {}, u"buy"_s, {}, u"buy"_s},
                     {u"500"_s, u"600"_s, {}, {}, {}, u"buy"_s},
                     {u"700"_s, u"600"_s, {}, {}, {}, {}},
                     {u"600"_s, u"600"_s, {}, u"buy"_s, {}, u"buy"_s}};
        QTest::newRow("targets that are no numbers")
            << false << Steps{{u"100"_s, u"abc"_s, u"1e2"_s, {}, {}, {}}};
    }
    void targetsToldChimedColouredAndLatched()
    {
        QFETCH(bool, muted);
        QFETCH(QList<TargetStep>, passes);
        Pass p(1);
        p->mute = muted;
        p->cells.setCellForeColor(1, grid::BuyTarget, cellcolor::Red);
        p->cells.setCellForeColor(1, grid::SellTarget, cellcolor::Green);
        int n = 0;
        for (const TargetStep& step : std::as_const(passes)) {
            const QString code = step.code.isEmpty() ? passRowCode(1) : step.code;
            p->cells.setCellText(1, grid::Code, code);
            p->cells.setCellText(1, grid::BuyTarget, step.buy);
            p->cells.setCellText(1, grid::SellTarget, step.sell);
            p->reached.clear();
            p->chimes.clear();
            p->run();
            const QByteArray body = step.price == u"other"_s
                                        ? stockDetailPage(1, u"1"_s, u"+1"_s, u"該当する銘柄はありません"_s)
                                        : stockDetailPage(1, step.price);
            QVERIFY(p->http.answer(u"code="_s + code, {step.price == u"404"_s ? 404 : 200, body, {}, {}}));
            QStringList told, coloured;
            for (const TargetReached& r : std::as_const(p->reached)) {
                told.append(r.kind == Target::Sell ? u"sell"_s : u"buy"_s);
                QCOMPARE(QStringList({QString::number(r.row), r.code, r.name, r.price, r.target}),
                         QStringList({u"1"_s, code, u"N1301"_s, step.price,
                                      r.kind == Target::Sell ? step.sell : step.buy}));
            }
            for (const auto& [column, colour, name] :
                 {std::tuple{grid::SellTarget, cellcolor::Red, "sell"},
                  std::tuple{grid::BuyTarget, cellcolor::Green, "buy"}}) {
                const quint32 c = p->cells.cellForeColor(1, column);
                if (c != cellcolor::Default)
                    coloured << (c == colour ? QString::fromLatin1(name) : u"?"_s);
            }
            const QString pass = u"pass %1"_s.arg(++n);
            QCOMPARE(QStringList({pass, told.join(u' '), p->chimes.join(u' '), coloured.join(u' ')}),
                     QStringList({pass, step.told, step.chimes, step.coloured}));
        }
    }

    // A row dropped from the passes is told anew when watched again.
    void targetToldAnewWhenWatchedAgain()
    {
        Pass p(2);
        p->cells.setCellText(1, grid::SellTarget, u"1,000"_s);
        p->cells.setCellText(2, grid::SellTarget, u"1,000"_s);
        QList<int> told; // the rows told, a 0 after each pass
        for (const bool watched : {true, true, false, true}) {
            p->reached.clear();
            p->cells.setCellText(2, grid::Code, watched ? passRowCode(2) : QString());
            p->run();
            for (int r = 1; r <= (watched ? 2 : 1); ++r)
                p->reply(r, 200, stockDetailPage(r));
            for (const TargetReached& r : std::as_const(p->reached))
                told.append(r.row);
            told.append(0);
        }
        QCOMPARE(told, QList<int>({1, 2, 0, 0, 0, 2, 0}));
    }

    // Notices are trimmed, markup kept as text.
    void targetNotice()
    {
        const TargetNotice n =
            tickora::targetNotice({1, Target::Buy, u" 6758"_s, u"ソニー "_s, u"3,412"_s, u"  3,400 "_s});
        const TargetNotice m =
            tickora::targetNotice({1, Target::Buy, u"1301"_s, u" "_s, u"<b>1</b>"_s, u"&2"_s});
        QCOMPARE(n.title, u"買値目標到達"_s);
        QCOMPARE(n.body, u"6758 ソニー 現在値 3,412 目標 3,400"_s);
        QCOMPARE(m.body, u"1301 現在値 <b>1</b> 目標 &2"_s);
    }
};

QTEST_GUILESS_MAIN(TestPassTargets)
#include "tst_passtargets.moc"
