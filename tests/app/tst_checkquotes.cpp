// tickora --check-quotes: the pages of the simulated market and of fakes, read once, as printed.
#include "checkquotes.h"
#include "exchange/tradingcalendar.h"
#include "platform/qthttpclient.h"
#include "platform/transporterror.h"
#include "quotes/builtpages.h"
#include "server.h"
#include "support/fakes.h"

#include <QProcess>
#include <QTcpServer>
#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

/// The configuration of a program pointed at `url` for every service.
Config configAt(const QString& url)
{
    QProcessEnvironment env;
    env.insert(u"TICKORA_MARKET_URL"_s, url);
    return Config::fromEnvironment(env);
}

/// The check's exit code and what it printed.
std::pair<int, QString> check(HttpClient& http, const Config& config, const QStringList& codes)
{
    QString printed;
    const int code = runQuoteCheck(http, config, codes, [&](const QString& text) { printed += text; });
    return {code, printed};
}

} // namespace

class TestCheckQuotes : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Against the market: a streamed stock page read, an unknown code told, the Nikkei from its state.
    void againstTheMarket()
    {
        market::MarketServer server(
            {{u"7203"_s, u"トヨタ自動車"_s}, {u"285A"_s, u"キオクシアホールディングス"_s}}, {});
        const int port = server.startInBackground(0);
        QVERIFY(port > 0);
        const QString url = u"http://127.0.0.1:%1"_s.arg(port);
        QtHttpClient http;
        const auto [failed, printed] = check(http, configAt(url), {u"7203"_s, u"4444"_s});
        QCOMPARE(failed, 1);
        QVERIFY2(printed.startsWith(u"7203  "_s + url +
                                    u"/quote/7203.T\n  状態 200  形式 streamed\n"
                                    u"  銘柄名 トヨタ自動車(株)\n  現在値 "_s),
                 qPrintable(printed));
        QVERIFY2(printed.contains(u"\n  系列データ: 使いません\n4444  "_s + url +
                                  u"/quote/4444.T\n  状態 200  形式 state\n  "
                                  u"該当する銘柄はありません（コードが見つかりません）\n"
                                  u"  系列データ: 使いません\n日経平均  "_s +
                                  url + u"/quote/998407.O\n  状態 200  形式 state\n  日経平均 "_s),
                 qPrintable(printed));
        QVERIFY(printed.endsWith(u"\n  系列データ: 使いません\n"_s));
        // Every page read: 0; the program itself, without a window, says the same, and takes
        // lower-case and full-width codes as the entry box does.
        QCOMPARE(check(http, configAt(url), {u"7203"_s}).first, 0);
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"TICKORA_MARKET_URL"_s, url);
        env.remove(u"DISPLAY"_s);
        program.setProcessEnvironment(env);
        program.start(QString::fromUtf8(TICKORA_BIN), {u"--check-quotes"_s, u"285a"_s, u"７２０３"_s});
        QVERIFY(program.waitForFinished(30000));
        const QString out = QString::fromUtf8(program.readAllStandardOutput());
        QVERIFY2(program.exitCode() == 0 && out.contains(u"形式 streamed"_s) &&
                     out.contains(u"日経平均 "_s) &&
                     out.startsWith(u"285A  "_s + url + u"/quote/285A.T\n"_s) &&
                     out.contains(u"\n7203  "_s + url + u"/quote/7203.T\n"_s) &&
                     !out.contains(u"該当する銘柄はありません"_s),
                 qPrintable(out + QString::fromUtf8(program.readAllStandardError())));
    }

    // Read means this code's quote was found: an unknown form that says "株価詳細値" and a board of
    // another code are unread (exit 1); each form of the time is shown in the grid's one form.
    void pagesAsTheWindowJudgesThem_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("indexPage");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("says");
        const QString nikkei = quoteDataFile(u"today/2026/998407.O.html"_s);
        QTest::newRow("unknown form saying 株価詳細値")
            << u"7203"_s << unknownFormPage() << nikkei << 1
            << u"形式 none\n  値を読めません\n  系列データ: 使います"_s;
        QTest::newRow("board of another code")
            << u"2107"_s << streamed7203() << nikkei << 1
            << u"形式 streamed\n  株価ページが別の銘柄を示しています（2107 → 7203）\n  系列データ: 使いません"_s;
        QTest::newRow("board of this code")
            << u"7203"_s << streamed7203() << nikkei << 0 << u"時刻 10:47\n"_s;
        for (const auto& [form, cell] : {std::pair{u"09:30:00"_s, u"9:30"_s},
                                         {u"2026/09/18 15:30"_s, u"15:30"_s},
                                         {u"2026/09/17 15:30"_s, u"9/17"_s},
                                         {u"09/04"_s, u"9/4"_s}})
            QTest::addRow("time %s", qPrintable(form))
                << u"7203"_s << streamed7203At(form) << nikkei << 0 << u"時刻 "_s + cell + u'\n';
        QTest::newRow("streamed index page") << u"7203"_s << streamed7203() << streamedIndexPage() << 0
                                             << u"日経平均 66,364.20 (15:30) +850.21\n"_s;
        QTest::newRow("index board of another index")
            << u"7203"_s << streamed7203()
            << streamedIndexPage(replacedIn(StreamedNikkeiBoard, u"998407.O"_s, u"998405.O"_s)) << 1
            << u"株価ページが別の銘柄を示しています（998407 → 998405）"_s;
    }
    void pagesAsTheWindowJudgesThem()
    {
        QFETCH(QString, code);
        QFETCH(QString, page);
        QFETCH(QString, indexPage);
        QFETCH(int, exit);
        QFETCH(QString, says);
        FakeHttpClient http;
        http.serve(u"/quote/"_s + code + u".T"_s, page.toUtf8());
        http.serve(u"/quote/998407.O"_s, indexPage.toUtf8());
        FakeClock clock;
        clock.date = QDate(2026, 9, 18);
        clock.time = QTime(16, 0);
        QString printed;
        const int status = runQuoteCheck(
            http, configAt(u"http://m.test"_s), {code}, [&](const QString& text) { printed += text; },
            &clock);
        QVERIFY2(printed.contains(says), qPrintable(printed));
        QCOMPARE(status, exit);
    }

    // A page in an unknown form would come from the series; an overloaded service is not asked again.
    void unknownFormsAndHolds()
    {
        FakeHttpClient http;
        http.serve(u"/quote/7203.T"_s, "<html><body>新しい形式</body></html>");
        http.serve(u"/quote/6758.T"_s, "busy", 429);
        const auto [failed, printed] =
            check(http, configAt(u"http://m.test"_s), {u"7203"_s, u"6758"_s, u"9984"_s});
        QCOMPARE(failed, 1);
        QCOMPARE(printed, u"7203  http://m.test/quote/7203.T\n  状態 200  形式 none\n  値を読めません\n"
                          u"  系列データ: 使います（ページの形式が変わった可能性があります）\n"
                          u"6758  http://m.test/quote/6758.T\n  状態 429  形式 none\n  ページではありません\n"
                          u"9984  http://m.test/quote/9984.T\n  取得制限中のため読みませんでした\n"
                          u"日経平均  http://m.test/quote/998407.O\n  取得制限中のため読みませんでした\n"_s);
        FakeHttpClient down;
        down.setHandler([](const HttpRequest&) {
            return HttpResponse{0, {}, {}, {}, u"Connection refused"_s};
        });
        QCOMPARE(check(down, configAt(u"http://m.test"_s), {u"7203"_s}).second.section(u'\n', 1, 1),
                 u"  取得できません: Connection refused"_s);
    }

    // Each way a request can fail is told in Japanese, without the network library's English.
    void transportFailuresInJapanese_data()
    {
        using E = QNetworkReply::NetworkError;
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("text");
        QTest::newRow("refused") << int(E::ConnectionRefusedError) << u"接続を拒否されました"_s;
        QTest::newRow("closed") << int(E::RemoteHostClosedError) << u"接続を切りました"_s;
        QTest::newRow("no such host") << int(E::HostNotFoundError) << u"サーバーが見つかりません"_s;
        QTest::newRow("time-out") << int(E::TimeoutError) << u"時間内に応答がありませんでした"_s;
        QTest::newRow("cancelled") << int(E::OperationCanceledError) << u"時間内に応答がありませんでした"_s;
        QTest::newRow("offline") << int(E::TemporaryNetworkFailureError)
                                 << u"ネットワークにつながっていません"_s;
        QTest::newRow("proxy") << int(E::ProxyConnectionRefusedError) << u"プロキシ"_s;
        QTest::newRow("broken answer") << int(E::ProtocolFailure) << u"応答が壊れています"_s;
        QTest::newRow("another kind")
            << int(E::UnknownNetworkError) << u"通信に失敗しました（エラー番号 99）"_s;
    }
    void transportFailuresInJapanese()
    {
        QFETCH(int, error);
        QFETCH(QString, text);
        const QString told = transportErrorText(QNetworkReply::NetworkError(error), u"Connection refused"_s);
        QCOMPARE(told.contains(text), true);
        QVERIFY2(!told.contains(u"Connection"_s), qPrintable(told));
        // The reason a secure connection failed names the certificate's fault.
        QVERIFY(transportErrorText(QNetworkReply::SslHandshakeFailedError, u"self-signed"_s)
                    .contains(u"self-signed"_s));
    }

    // A port nobody listens on, through the real client: the check says so in Japanese and fails.
    void refusedConnectionIsToldInJapanese()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        QtHttpClient http;
        const auto [failed, printed] = check(http, configAt(u"http://127.0.0.1:%1"_s.arg(port)), {u"7203"_s});
        QCOMPARE(failed, 1);
        QVERIFY2(printed.section(u'\n', 1, 1).startsWith(u"  取得できません: 接続を拒否されました"_s),
                 qPrintable(printed));
        QVERIFY2(!printed.contains(u"refused"_s, Qt::CaseInsensitive), qPrintable(printed));
    }
};

QTEST_MAIN(TestCheckQuotes)
#include "tst_checkquotes.moc"
