// What is told when pages cannot be read, and when the series service refuses the program.
#include "quotes/pageverdict.h"
#include "quotes/secondsource.h"

#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

enum class Outcome
{
    Read,       ///< the page was read
    Unread,     ///< the page could not be read, nor the series stand in
    FromSeries, ///< the page could not be read, the series stood in
};

struct NoticeStep
{
    QString code;
    Outcome outcome;
    int dayOffset; ///< days after the first
    QString told;  ///< the message shown now; "all read" when a read says every page reads again
};

struct RefusalStep
{
    int status;
    bool holdStarted;
    bool tell; ///< the moment to tell the user
};

} // namespace

/// A page answered for a code: read as its own (no board code), or showing the security `boardCode`.
struct PageStep
{
    QString code;
    QString boardCode;
    bool told = false; ///< the message is shown now
};
Q_DECLARE_METATYPE(PageStep)

class TestSecondSource : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Each message once a day; again once every page that failed has been read, or the next day.
    void unreadPageNotices()
    {
        const QString series = QString::fromUtf16(PagesUnreadFromSeriesText);
        const QString unread = QString::fromUtf16(PagesUnreadText);
        const QString allRead = u"all read"_s;
        const NoticeStep steps[] = {
            {u"A"_s, Outcome::FromSeries, 0, series}, {u"B"_s, Outcome::FromSeries, 0, {}},
            {u"A"_s, Outcome::Unread, 0, unread},     {u"C"_s, Outcome::Read, 0, {}},
            {u"A"_s, Outcome::Read, 0, {}},           {u"A"_s, Outcome::Unread, 0, {}},
            {u"B"_s, Outcome::Read, 0, {}},           {u"A"_s, Outcome::Read, 0, allRead},
            {u"B"_s, Outcome::FromSeries, 0, series}, {u"B"_s, Outcome::FromSeries, 1, series},
        };
        UnreadPageNotices notices;
        const QDate day(2026, 12, 7);
        int n = 0;
        for (const NoticeStep& step : steps) {
            const QString told = step.outcome == Outcome::Read
                                     ? (notices.pageRead(step.code) ? allRead : QString())
                                     : notices.pageUnread(step.code, step.outcome == Outcome::FromSeries,
                                                          day.addDays(step.dayOffset));
            QVERIFY2(told == step.told, qPrintable(u"step %1"_s.arg(++n)));
        }
        QVERIFY(series.endsWith(u"。価格は系列データから表示しています"_s));
    }

    // Refusals in a row: holds started and 403s count, repeated 429s and lost answers do not.
    void seriesRefusals()
    {
        const RefusalStep steps[] = {
            {429, true, false},  {429, false, false}, {0, false, false},   {403, false, false},
            {403, false, true},  {403, false, false}, {200, false, false}, {503, true, false},
            {403, false, false}, {429, true, true},   {404, false, false}, {403, false, false},
            {403, false, false}, {403, false, true},
        };
        SeriesRefusals refusals;
        int n = 0;
        for (const RefusalStep& step : steps)
            QVERIFY2(refusals.noteAnswer(step.status, step.holdStarted) == step.tell,
                     qPrintable(u"answer %1"_s.arg(++n)));
    }

    // A page showing another security is told once, until it reads as its own again.
    void otherCodeToldOnce_data()
    {
        QTest::addColumn<QList<PageStep>>("steps");
        const PageStep other2107{u"2107"_s, u"627A"_s, true};
        const PageStep again2107{u"2107"_s, u"627A"_s, false};
        QTest::newRow("same board again") << QList<PageStep>{other2107, again2107};
        QTest::newRow("another board") << QList<PageStep>{other2107, {u"2107"_s, u"7203"_s, true}};
        QTest::newRow("read in between") << QList<PageStep>{other2107, {u"2107"_s, {}, false}, other2107};
        QTest::newRow("another page read in between")
            << QList<PageStep>{other2107, {u"6758"_s, {}, false}, again2107};
        QTest::newRow("two pages") << QList<PageStep>{other2107, {u"6758"_s, u"627A"_s, true}};
    }
    void otherCodeToldOnce()
    {
        QFETCH(QList<PageStep>, steps);
        UnreadPageNotices notices;
        int n = 0;
        for (const PageStep& step : std::as_const(steps)) {
            const QString at = u"step %1"_s.arg(++n);
            if (step.boardCode.isEmpty()) {
                notices.pageRead(step.code);
                QCOMPARE(at + notices.otherCodeTold(step.code), at);
                continue;
            }
            const QString text = notices.pageOfOtherCode(step.code, step.boardCode);
            const QString message = otherCodeText(step.code, step.boardCode);
            QCOMPARE(at + text, at + (step.told ? message : QString()));
            QCOMPARE(notices.otherCodeTold(step.code), message);
        }
    }

    void isNoSuchCodePage_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("noSuchCode");
        QTest::newRow("the whole sentence") << u"<p>該当する銘柄はありません</p>"_s << true;
        QTest::newRow("part of it") << u"該当する銘柄"_s << false;
    }
    void isNoSuchCodePage()
    {
        QFETCH(QString, page);
        QFETCH(bool, noSuchCode);
        QCOMPARE(tickora::isNoSuchCodePage(page), noSuchCode);
    }
};

QTEST_GUILESS_MAIN(TestSecondSource)
#include "tst_secondsource.moc"
