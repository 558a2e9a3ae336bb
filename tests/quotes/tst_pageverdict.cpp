// Whether a page answered for a code gives that code's quote.
#include "builtpages.h"
#include "quotes/pageverdict.h"

#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

/// The verdict as a row writes it, the board's code after another code's.
QString verdictName(PageVerdict v, const QString& boardCode)
{
    const QStringList names{u"read"_s, u"other code"_s, u"no such code"_s, u"unread"_s, u"not detail"_s};
    return names.value(int(v)) + (v == PageVerdict::OtherCode ? u':' + boardCode : QString());
}

const QDate Sept18(2026, 9, 18);

} // namespace

class TestPageVerdict : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sameCodes_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("equal") << u"7203"_s << u"7203"_s << true;
        QTest::newRow("lower-case letter") << u"285a"_s << u"285A"_s << true;
        QTest::newRow("market suffix") << u"285A"_s << u"285A.T"_s << true;
        QTest::newRow("leading zero") << u"0123"_s << u"123"_s << true;
        QTest::newRow("blanks") << u" 7203"_s << u"7203"_s << true;
        QTest::newRow("other code") << u"2107"_s << u"627A"_s << false;
        QTest::newRow("not codes, other") << u"^DJI"_s << u"^N225"_s << false;
        QTest::newRow("not codes, alike") << u"usdjpy=fx"_s << u"USDJPY=FX"_s << true;
        QTest::newRow("not codes, blanks") << u" ^DJI "_s << u"^DJI"_s << true;
        QTest::newRow("one digit, market suffix") << u"1.T"_s << u"1"_s << true;
        QTest::newRow("a suffix alone is no code") << u".T"_s << QString() << false;
    }
    void sameCodes()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(sameSecurityCode(a, b), same);
        QCOMPARE(sameSecurityCode(b, a), same);
    }

    void quotePages_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("today");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("time");
        const QString detail2012 = quoteDataFile(u"detail_7203_realtime_up.html"_s);
        const QString noPriceCell = replacedIn(detail2012, u"stoksPrice"_s, u"stocksValue"_s);
        QTest::newRow("streamed") << streamed7203() << u"7203"_s << true << u"read"_s << u"2,648.5"_s
                                  << u"10:47"_s;
        QTest::newRow("state") << quoteDataFile(u"today/7203.html"_s) << u"7203"_s << true << u"read"_s
                               << u"2,648.5"_s << u"15:30"_s;
        QTest::newRow("2012 with its price cell")
            << detail2012 << u"7203"_s << true << u"read"_s << u"5,430"_s << u"15:00"_s;
        QTest::newRow("unknown form saying 株価詳細値")
            << unknownFormPage() << u"7203"_s << true << u"unread"_s << QString() << QString();
        QTest::newRow("2012 cut without its price cell")
            << noPriceCell << u"7203"_s << true << u"unread"_s << QString() << u"15:00"_s;
        QTest::newRow("no such code") << quoteDataFile(u"today/9999.html"_s) << u"9999"_s << true
                                      << u"no such code"_s << QString() << QString();
        QTest::newRow("board of another code")
            << streamed7203() << u"2107"_s << true << u"other code:7203"_s << u"2,648.5"_s << u"10:47"_s;
        QTest::newRow("state board of another code")
            << quoteDataFile(u"today/7203.html"_s) << u"627A"_s << true << u"other code:7203"_s
            << u"2,648.5"_s << u"15:30"_s;
        QTest::newRow("board naming no code")
            << replacedIn(replacedIn(streamed7203(), uR"(\"code\":\"7203\",)"_s, QString()),
                          uR"(\"codeWithMarketExtension\":\"7203.T\",)"_s, QString())
            << u"2107"_s << true << u"read"_s << u"2,648.5"_s << u"10:47"_s;
        for (const auto& [form, cell] :
             {std::pair{u"2026/09/18 15:30"_s, u"15:30"_s}, {u"2026/09/17 15:30"_s, u"9/17"_s}})
            QTest::addRow("time %s", qPrintable(form))
                << streamed7203At(form) << u"7203"_s << true << u"read"_s << u"2,648.5"_s << cell;
        // With the 2012 pages the 2012 rules hold: a detail page without its price cell shows an
        // empty price, a page without "株価詳細" is no detail page, times are kept as given.
        QTest::newRow("2012 pages: no price cell")
            << noPriceCell << u"7203"_s << false << u"read"_s << QString() << u"15:00"_s;
        QTest::newRow("2012 pages: no detail") << u"<html>】極洋株 検索</html>"_s << u"1301"_s << false
                                               << u"not detail"_s << QString() << QString();
        QTest::newRow("2012 pages: time kept") << streamed7203At(u"09:30:00"_s) << u"7203"_s << false
                                               << u"read"_s << u"2,648.5"_s << u"09:30:00"_s;
    }
    void quotePages()
    {
        QFETCH(QString, page);
        QFETCH(QString, code);
        QFETCH(bool, today);
        QFETCH(QString, verdict);
        QFETCH(QString, price);
        QFETCH(QString, time);
        const JudgedQuote j =
            judgeQuotePage(page, code, today ? QuotePages::Today : QuotePages::Pages2012, Sept18);
        QCOMPARE(verdictName(j.verdict, j.reading.fields.boardCode), verdict);
        QCOMPARE(j.reading.fields.price, price);
        QCOMPARE(j.reading.fields.time, time);
    }

    void indexPages_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("today");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<QString>("line");
        QTest::newRow("state") << quoteDataFile(u"today/2026/998407.O.html"_s) << true << u"read"_s
                               << u"日経平均 38,412.76 (11:30) -125.40"_s;
        QTest::newRow("streamed, dated today") << streamedIndexPage(StreamedNikkeiBoard) << true << u"read"_s
                                               << u"日経平均 66,364.20 (15:30) +850.21"_s;
        QTest::newRow("streamed, dated earlier")
            << streamedIndexPage(replacedIn(StreamedNikkeiBoard, u"2026/09/18"_s, u"2026/09/17"_s)) << true
            << u"read"_s << u"日経平均 66,364.20 (9/17) +850.21"_s;
        QTest::newRow("streamed, 2012 pages keep the time")
            << streamedIndexPage(StreamedNikkeiBoard) << false << u"read"_s
            << u"日経平均 66,364.20 (2026/09/18 15:30) +850.21"_s;
        QTest::newRow("streamed board of another index")
            << streamedIndexPage(replacedIn(StreamedNikkeiBoard, u"998407.O"_s, u"998405.O"_s)) << true
            << u"other code:998405"_s << QString();
        QTest::newRow("state board of another index")
            << replacedIn(quoteDataFile(u"today/2026/998407.O.html"_s),
                          uR"("code":"998407.O","countryCode")"_s, uR"("code":"998405.O","countryCode")"_s)
            << true << u"other code:998405"_s << QString();
        QTest::newRow("no board") << unknownFormPage() << true << u"unread"_s << QString();
    }
    void indexPages()
    {
        QFETCH(QString, page);
        QFETCH(bool, today);
        QFETCH(QString, verdict);
        QFETCH(QString, line);
        const JudgedIndex j = judgeIndexPage(page, today ? QuotePages::Today : QuotePages::Pages2012, Sept18);
        QCOMPARE(verdictName(j.verdict, j.reading.boardCode), verdict);
        if (j.verdict == PageVerdict::Read)
            QCOMPARE(j.reading.line, line);
    }

    void otherCodeMessage()
    {
        QCOMPARE(otherCodeText(u"2107"_s, u"627A"_s), u"株価ページが別の銘柄を示しています（2107 → 627A）"_s);
        QCOMPARE(otherCodeText(u"998407.O"_s, u"998405"_s),
                 u"株価ページが別の銘柄を示しています（998407 → 998405）"_s);
    }
};

QTEST_GUILESS_MAIN(TestPageVerdict)
#include "tst_pageverdict.moc"
