// The main window on fakes: quote pages of every form fill the rows and the Nikkei line.
#include "windowpages.h"

#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextDocumentFragment>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

class TestMainWindowPages : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A page whose board names another security: the row (or the Nikkei line) keeps what it shows,
    // no target is told, and the status line says so once, however many ticks it lasts.
    void pagesOfAnotherSecurity()
    {
        Window w;
        w.fakes.config.quotePages = QuotePages::Today;
        QByteArray nikkei = quotePage(u"today/2026/998407.O.html"_s);
        w.fakes.http.serve(u"/quote/2107.T"_s, quotePage(u"today/7203.html"_s)); // 7203's board
        w.fakes.http.serve(u"/quote/998407.O"_s, nikkei);
        w.make();
        QSignalSpy said(w.child<QStatusBar>(u"statusLine"_s), &QStatusBar::messageChanged);
        const Cells row = {{1, 1, u"2107"_s},   {1, 2, u"東洋精糖"_s}, {1, 3, u"300"_s},  {1, 4, u"+1"_s},
                           {1, 10, u"9,000"_s}, {1, 11, u"1"_s},       {1, 12, u"9:00"_s}};
        QVERIFY(start(w, row));
        const QString line = w.label(u"nikkeiLine"_s)->text();
        QVERIFY(line.startsWith(u"日経平均 38,412.76"_s));
        w.fakes.http.serve(u"/quote/998407.O"_s, nikkei.replace("\"code\":\"998407.O\",\"countryCode\"",
                                                                "\"code\":\"998405.O\",\"countryCode\""));
        for (int tick = 0; tick < 2; ++tick) {
            w.tick();
            w.drain();
        }
        QCOMPARE(w.read(row), row);
        QCOMPARE(w.grid()->cellForeColor(1, grid::SellTarget), cellcolor::Default);
        QCOMPARE(w.grid()->cellForeColor(1, grid::BuyTarget), cellcolor::Default);
        QVERIFY(w.fakes.notifier.shown.isEmpty() && w.fakes.sound.played.isEmpty());
        QCOMPARE(w.label(u"nikkeiLine"_s)->text(), line);
        QStringList messages;
        for (const QList<QVariant>& m : std::as_const(said))
            messages.append(m.constFirst().toString());
        QCOMPARE(messages, QStringList({u"株価ページが別の銘柄を示しています（2107 → 7203）"_s,
                                        u"株価ページが別の銘柄を示しています（998407 → 998405）"_s}));
        // The pages show their own securities again: the word goes.
        w.fakes.http.serve(u"/quote/998407.O"_s, quotePage(u"today/2026/998407.O.html"_s));
        w.tick();
        w.drain();
        QCOMPARE(w.child<QStatusBar>(u"statusLine"_s)->currentMessage(), QString());
    }

    // A page in a form no reader knows: the row and the Nikkei line come from the series, the
    // status line says so once, and a target reached is told as from a page.
    void unknownPageFormsFromTheSeries()
    {
        Window w;
        w.fakes.config.quotePages = QuotePages::Today;
        QVERIFY(writeFile(w.fakes.config.dataFile(u"tousyou1.csv"_s), cp932(u"7203,\"トヨタ自動車\"\r\n"_s)));
        QVERIFY(
            writeFile(w.fakes.config.dataFile(u"codes-added.csv"_s), cp932(u"285A,\"キオクシア\"\r\n"_s)));
        QStringList seriesAsked;
        bool readable = false; // the pages in a form the program reads
        w.fakes.http.setHandler([&](const HttpRequest& request) {
            const QString path = request.url.path();
            // Each code's own page: a board of another code is no read.
            if (readable && path.endsWith(u".T"_s))
                return okResponse(quotePage(path.endsWith(u"7203.T"_s) ? u"today/7203.html"_s
                                                                       : u"today/2026/285A.T.html"_s),
                                  "text/html");
            if (readable && path == u"/quote/998407.O"_s)
                return okResponse("<script>\nwindow.__PRELOADED_STATE__ = {\"mainDomesticIndexPriceBoard\":"
                                  "{\"indexPrices\":{\"price\":\"50,491.87\",\"japanUpdateTime\":\"15:30\","
                                  "\"changePrice\":\"253.29\"}}};</script>",
                                  "text/html");
            if (!path.startsWith(u"/v8/finance/chart/"_s))
                return okResponse("<html><body><h2 hidden>株価詳細値</h2>新しい形式のページ</body></html>",
                                  "text/html");
            seriesAsked.append(request.url.path(QUrl::FullyEncoded).mid(18) + u'?' + request.url.query());
            const QString price = path.endsWith(u"N225"_s) ? u"38412.7,\"previousClose\":38538.16"_s
                                                           : u"2648.5,\"previousClose\":2618"_s;
            return okResponse((u"{\"chart\":{\"result\":[{\"meta\":{\"regularMarketPrice\":"_s + price +
                               u",\"regularMarketTime\":1790470140}}]}}"_s)
                                  .toUtf8(),
                              "application/json");
        });
        w.make();
        QSignalSpy said(w.child<QStatusBar>(u"statusLine"_s), &QStatusBar::messageChanged);
        QVERIFY(start(w, Cells{{1, 1, u"7203"_s}, {1, 11, u"2,600"_s}, {2, 1, u"285A"_s}}));
        w.drain();
        // The series' last trade (2026-09-27 9:49 in Japan) lies before the clock's day: its date shows.
        const Cells fromSeries = {{1, 2, u"トヨタ自動車"_s}, {1, 3, u"2,648.5"_s}, {1, 4, u"+30.5"_s},
                                  {1, 5, u"2,618"_s},        {1, 12, u"9/27"_s},   {2, 2, u"キオクシア"_s}};
        QCOMPARE(w.read(fromSeries), fromSeries);
        QCOMPARE(w.label(u"nikkeiLine"_s)->text(), u"日経平均 38,412.70 (9/27) -125.46"_s);
        QVERIFY(seriesAsked.contains(u"7203.T?range=1d&interval=5m"_s) &&
                seriesAsked.contains(u"%5EN225?range=1d&interval=5m"_s));
        QCOMPARE(w.fakes.notifier.shown,
                 QList<FakeNotifier::Shown>(
                     {{u"売値目標到達"_s, u"7203 トヨタ自動車 現在値 2,648.5 目標 2,600"_s}}));
        QCOMPARE(w.grid()->cellForeColor(1, grid::SellTarget), cellcolor::Red);
        w.tick();
        w.drain();
        // Told again only after every page has been read since: the stock's and the Nikkei's.
        for (const bool readNow : {true, false}) {
            readable = readNow;
            w.tick();
            w.drain();
        }
        QCOMPARE(w.label(u"nikkeiLine"_s)->text(), u"日経平均 38,412.70 (9/27) -125.46"_s);
        QStringList messages;
        for (const QList<QVariant>& m : std::as_const(said))
            messages.append(m.constFirst().toString());
        const QString series = QString::fromUtf16(PagesUnreadFromSeriesText);
        QCOMPARE(messages, QStringList({series, QString(), series}));
    }

    // A series service that refuses, asked for every row or for the Nikkei line alone: the rows
    // and the line keep what they show, each told once; an overload is held and told at once,
    // and the Nikkei page unread while the series alone is held is told as unread, not as shown
    // from the series.
    void seriesRefusalsKeepTheRows_data()
    {
        QTest::addColumn<bool>("stockPageRead"); ///< the stock's page is in a form the program reads
        QTest::addColumn<int>("status");         ///< the series service's answer
        QTest::addColumn<QString>("price");      ///< the price cell after three starts
        QTest::addColumn<QStringList>("told");   ///< the status line's messages after the cell and line
        const QString unread = QString::fromUtf16(PagesUnreadText),
                      refused = QString::fromUtf16(SeriesRefusedText), held = u"取得制限中 10:01:30 まで"_s;
        QTest::newRow("no page read, series refused")
            << false << 403 << u"old"_s << QStringList{unread, refused};
        QTest::newRow("stock page read, series refused")
            << true << 403 << u"2,648.5"_s << QStringList{unread, refused};
        QTest::newRow("stock page read, series overloaded")
            << true << 429 << u"2,648.5"_s << QStringList{held, unread};
    }
    void seriesRefusalsKeepTheRows()
    {
        QFETCH(bool, stockPageRead);
        QFETCH(int, status);
        QFETCH(QString, price);
        QFETCH(QStringList, told);
        Window h;
        h.fakes.config.quotePages = QuotePages::Today;
        h.fakes.config.seriesBase = QUrl(u"http://series.test"_s); // held apart from the pages
        h.fakes.http.setHandler([read = stockPageRead, status](const HttpRequest& request) {
            const QString path = request.url.path();
            if (path.startsWith(u"/v8/"_s))
                return HttpResponse{status, {}, "text/plain", {{"Retry-After", "90"}}, {}};
            return okResponse(read && path.endsWith(u".T"_s) ? quotePage(u"today/7203.html"_s)
                                                             : "<html>新しい形式</html>",
                              "text/html");
        });
        h.make();
        QSignalSpy shown(h.child<QStatusBar>(u"statusLine"_s), &QStatusBar::messageChanged);
        h.put(Cells{{1, 1, u"7203"_s}, {1, 3, u"old"_s}});
        h.label(u"nikkeiLine"_s)->setText(u"日経平均 1"_s);
        for (int pass = 0; pass < 3; ++pass) {
            h.trigger(u"startRealTimeCommand"_s);
            h.drain();
        }
        QStringList messages{h.grid()->cellText(1, 3), h.label(u"nikkeiLine"_s)->text()};
        for (const QList<QVariant>& m : std::as_const(shown))
            messages.append(m.constFirst().toString());
        QCOMPARE(messages, QStringList({price, u"日経平均 1"_s}) + told);
    }

    // Today's pages fill rows, colours and alerts as the old ones did, and the Nikkei line from its page.
    void todayPagesFillTheWindow()
    {
        Window w;
        w.fakes.config.quotePages = QuotePages::Today;
        w.fakes.http.serve(u"/quote/7203.T"_s, quotePage(u"today/7203.html"_s));
        w.fakes.http.serve(u"/quote/6758.T"_s, quotePage(u"today/6758.html"_s));
        w.fakes.http.serve(
            u"/quote/998407.O"_s,
            "<html><script>\n// state\nwindow.__PRELOADED_STATE__ = {\"mainIndexPriceBoard\":{"
            "\"priceBoard\":{\"name\":\"日経平均株価\",\"price\":\"50,491.87\",\"priceDateTime\":"
            "\"15:30\",\"priceChange\":\"253.29\"}}};</script></html>");
        QVERIFY(
            start(w, Cells{{1, 1, u"7203"_s}, {1, 10, u"2,700"_s}, {2, 1, u"6758"_s}, {2, 11, u"3,400"_s}}));
        QCOMPARE(rowTexts(*w.grid(), 1),
                 QStringList({u"7203"_s, u"トヨタ自動車(株)"_s, u"2,648.5"_s, u"-21.5"_s, u"2,670"_s,
                              u"27,481,100"_s, u"2,660"_s, u"2,671"_s, u"2,640"_s, u"2,700"_s, QString(),
                              u"15:30"_s}));
        const Cells sony = {
            {2, 2, u"ソニーグループ(株)"_s}, {2, 3, u"3,412"_s}, {2, 4, u"+58"_s}, {2, 12, u"11:30"_s}};
        QCOMPARE(w.read(sony), sony);
        const QuoteGrid& g = *w.grid();
        QCOMPARE(QList<quint32>({g.cellForeColor(1, grid::Change), g.cellForeColor(1, grid::BuyTarget),
                                 g.cellForeColor(2, grid::Change), g.cellForeColor(2, grid::SellTarget)}),
                 QList<quint32>({cellcolor::Green, cellcolor::Green, cellcolor::Red, cellcolor::Red}));
        QCOMPARE(w.fakes.sound.played, QStringList({w.fakes.config.dataFile(u"chimesRow.wav"_s),
                                                    w.fakes.config.dataFile(u"chimes.wav"_s)}));
        QCOMPARE(w.label(u"nikkeiLine"_s)->text(), u"日経平均 50,491.87 (15:30) +253.29"_s);
        QVERIFY(w.fakes.dialogs.shown.isEmpty());
        QCOMPARE(w.fakes.notifier.shown.size(), 2);
        // A target still reached is not told again, a new one is.
        QVERIFY(start(w, Cells{{2, 11, u"3,410"_s}}));
        QTRY_COMPARE(w.label(u"nikkeiLine"_s)->text(), u"日経平均 50,491.87 (15:30) +253.29"_s);
        QCOMPARE(w.fakes.notifier.shown,
                 QList<FakeNotifier::Shown>(
                     {{u"買値目標到達"_s, u"7203 トヨタ自動車(株) 現在値 2,648.5 目標 2,700"_s},
                      {u"売値目標到達"_s, u"6758 ソニーグループ(株) 現在値 3,412 目標 3,400"_s},
                      {u"売値目標到達"_s, u"6758 ソニーグループ(株) 現在値 3,412 目標 3,410"_s}}));
    }

    // Page values show as plain text, cut to their slot, whole in tooltip and accessible name, unmarked.
    void pageNamesShowAsText()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(u"green.png"_s), chartPng(QSize(24, 8), Qt::green)));
        const QString markup = u"<img src=\"%1\"><i>1</i>&lt;"_s.arg(dir.filePath(u"green.png"_s));
        const QString name =
            markup + u"トヨタ自動車グローバル・ホールディングス<b>&amp;</b>国際総合研究開発株式会社"_s;
        QByteArray quote = quotePage(u"detail_7203_realtime_up.html"_s);
        quote.replace("トヨタ自動車(株)</h1>", QByteArray(name.toUtf8() + "</h1>"));
        Window w;
        serveOldPages(w);
        w.fakes.http.serve(u"code=7203"_s, quote);
        w.fakes.http.serve(u"/nkave"_s, QString(NikkeiPage).replace(u"+193.16"_s, markup).toUtf8());
        QVERIFY(start(w, Cells{{1, 1, u"7203"_s}, {2, 1, u"6758"_s}}));
        QCOMPARE(w.grid()->cellText(1, 2), name);
        const QLabel* label = w.label(u"thumbnailCaption0"_s);
        QVERIFY2(label->text().endsWith(u'…') && name.startsWith(label->text().chopped(1)),
                 qPrintable(label->text()));
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(label->accessibleName(), name);
        const QString tip = label->toolTip();
        QCOMPARE(Qt::mightBeRichText(tip) ? QTextDocumentFragment::fromHtml(tip).toPlainText() : tip, name);
        QCOMPARE(w.label(u"thumbnailCaption1"_s)->text(), w.label(u"thumbnailCaption1"_s)->accessibleName());
        w.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        for (const QString& widget : {u"nikkeiLine"_s, u"quoteGrid"_s, u"thumbnailCaption0"_s}) {
            const QImage drawn =
                w.child<QWidget>(widget)->grab().toImage().convertToFormat(QImage::Format_RGB32);
            for (int y = 0; y < drawn.height(); ++y)
                for (int x = 0; x < drawn.width(); ++x)
                    QVERIFY2(drawn.pixel(x, y) != QColor(Qt::green).rgb(), qPrintable(widget));
        }
    }
};

QTEST_MAIN(TestMainWindowPages)
#include "tst_mainwindow_pages.moc"
