// The refresh pass and the Nikkei line on the real main window, with fake services.
#include "support/fakes.h"
#include "mainwindow/entrybox.h"
#include "mainwindow/form1.h"
#include "mainwindow/quotegrid.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

QByteArray quotePage(const QString& name)
{
    QFile f(QStringLiteral(TICKORA_QUOTE_PAGES "/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing page %s", qPrintable(name));
    return f.readAll();
}

void setCodes(Form1& w, const QStringList& codes)
{
    for (int i = 0; i < codes.size(); ++i)
        w.MSFlexGrid1->setCellText(i + 1, grid::Code, codes[i]);
}

bool refreshAndWait(Form1& w)
{
    bool done = false;
    w.refreshQuotes([&] { done = true; });
    return QTest::qWaitFor([&] { return done; }, 5000);
}

HttpResponse failing(const HttpRequest&)
{
    HttpResponse r;
    r.status = 500;
    return r;
}

const QString NikkeiPage = u"<html><div class=\"cmn-index_value no-bg\"><b>12,283.62</b></div>"
                           "<a class=\"cmn-indexes_index_link\" href=\"/n\">前日比</a>(+193.16)</html>"_s;

} // namespace

class TstForm1Refresh : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void passFillsTheWindow();
    void passInHiddenWindow();
    void stopDuringPassLeavesTheUsersCell();
    void chimesAndMute();
    void failureMessage();
    void failureMessagesNeverStack();
    void nikkeiLine();
    void nikkeiFailure();
    void nikkeiCallsShareOneRequest();
    void pageMarkupShowsAsText();
};

void TstForm1Refresh::passFillsTheWindow()
{
    FakeServices fakes;
    fakes.http.serve(u"code=7203"_s, quotePage(u"detail_7203_realtime_up.html"_s));
    fakes.http.serve(u"code=6758"_s, quotePage(u"detail_6758_delayed_down.html"_s));
    fakes.http.serve(u"code=9999"_s, quotePage(u"notfound_9999.html"_s));
    Form1 w(fakes.services());
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QSignalSpy gridFocus(w.MSFlexGrid1, &QuoteGrid::focusReceived);
    setCodes(w, {u"7203"_s, u"6758"_s, u"9999"_s});
    w.MSFlexGrid1->setCellText(3, grid::Time, u"09:00"_s);
    QVERIFY(!w.Timer1->isActive());

    QVERIFY(refreshAndWait(w));
    QCOMPARE(fakes.http.maxInFlight, 3);
    QCOMPARE(w.watchCount, 3);
    QCOMPARE(w.shortNames.mid(0, 4),
             (QStringList{u"トヨタ自動車"_s, u"ソニー"_s, u"該当銘柄なし"_s, QString()}));
    QCOMPARE(w.MSFlexGrid1->cellText(1, grid::Price), u"5,430"_s);
    QCOMPARE(w.MSFlexGrid1->cellText(1, grid::Time), u"15:00"_s);
    QCOMPARE(w.MSFlexGrid1->cellForeColor(1, grid::Change), cellcolor::Red);
    QCOMPARE(w.MSFlexGrid1->cellText(2, grid::Change), u"-3"_s);
    QCOMPARE(w.MSFlexGrid1->cellForeColor(2, grid::Change), cellcolor::Green);
    QCOMPARE(w.MSFlexGrid1->cellText(3, grid::Name), QString());
    QCOMPARE(w.MSFlexGrid1->cellText(3, grid::Time), u"09:00"_s);
    QCOMPARE(w.Label5->text(), u"3"_s);
    QCOMPARE(w.MSFlexGrid1->row(), 3);
    QCOMPARE(w.MSFlexGrid1->col(), grid::Code);
    QVERIFY(gridFocus.count() >= 1);
    QVERIFY(QApplication::focusWidget() == w.MSFlexGrid1 || QApplication::focusWidget() == w.Text1);
    QVERIFY(w.Timer1->isActive());
    QVERIFY(fakes.dialogs.shown.isEmpty());
    QVERIFY(fakes.sound.played.isEmpty());
}

// A window that cannot take the focus (never shown) still gets its pass done.
void TstForm1Refresh::passInHiddenWindow()
{
    FakeServices fakes;
    fakes.http.serve(u"code=7203"_s, quotePage(u"detail_7203_realtime_up.html"_s));
    Form1 w(fakes.services());
    setCodes(w, {u"7203"_s, u"7203"_s});
    QVERIFY(refreshAndWait(w));
    QCOMPARE(w.MSFlexGrid1->cellText(2, grid::Price), u"5,430"_s);
    QCOMPARE(w.Label5->text(), u"2"_s);
    QCOMPARE(w.MSFlexGrid1->row(), 2);
}

void TstForm1Refresh::stopDuringPassLeavesTheUsersCell()
{
    FakeServices fakes;
    fakes.http.serve(u"code=7203"_s, quotePage(u"detail_7203_realtime_up.html"_s));
    fakes.http.setHolding(true);
    Form1 w(fakes.services());
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    setCodes(w, {u"7203"_s, u"7203"_s});
    bool done = false;
    w.refreshQuotes([&] { done = true; });
    // The user clicks row 1's price while the pages are on their way.
    w.MSFlexGrid1->setCurrent(1, grid::Price);
    w.MSFlexGrid1->setFocus(Qt::OtherFocusReason);
    w.MSFlexGrid1_Click();
    fakes.http.releaseAll();
    QTRY_VERIFY(done);
    QCOMPARE(w.MSFlexGrid1->cellText(2, grid::Price), u"5,430"_s); // quotes still written
    QCOMPARE(w.MSFlexGrid1->row(), 1);
    QCOMPARE(w.MSFlexGrid1->col(), int(grid::Price));
    QCOMPARE(w.Label5->text(), u"1"_s);
    QVERIFY(w.Text1->hasFocus());
    QCOMPARE(w.Text1->text(), u"5,430"_s); // the box shows the cell's new quote
}

void TstForm1Refresh::chimesAndMute()
{
    FakeServices fakes;
    fakes.http.serve(u"code=7203"_s, quotePage(u"detail_7203_realtime_up.html"_s));
    Form1 w(fakes.services());
    setCodes(w, {u"7203"_s});
    w.MSFlexGrid1->setCellText(1, grid::SellTarget, u"5400"_s);
    w.MSFlexGrid1->setCellText(1, grid::BuyTarget, u"5,500"_s);

    QVERIFY(refreshAndWait(w));
    QCOMPARE(fakes.sound.played, (QStringList{fakes.config.dataFile(u"chimes.wav"_s),
                                              fakes.config.dataFile(u"chimesRow.wav"_s)}));
    QCOMPARE(w.MSFlexGrid1->cellForeColor(1, grid::SellTarget), cellcolor::Red);
    QCOMPARE(w.MSFlexGrid1->cellForeColor(1, grid::BuyTarget), cellcolor::Green);

    fakes.sound.played.clear();
    w.Check1->setChecked(true);
    QVERIFY(refreshAndWait(w));
    QVERIFY(fakes.sound.played.isEmpty());
    QCOMPARE(w.MSFlexGrid1->cellForeColor(1, grid::SellTarget), cellcolor::Red);
}

void TstForm1Refresh::failureMessage()
{
    FakeServices fakes;
    fakes.http.serve(u"code=7203"_s, quotePage(u"detail_7203_realtime_up.html"_s));
    fakes.http.serve(u"code=1111"_s, "gone", 404);
    Form1 w(fakes.services());
    setCodes(w, {u"7203"_s, u"1111"_s, u"7203"_s});
    w.MSFlexGrid1->setCellText(3, grid::Price, u"old"_s);
    int calls = 0;
    w.refreshQuotes([&] { ++calls; });
    QTRY_COMPARE(calls, 1);
    QCOMPARE(fakes.dialogs.shown.size(), 1);
    const FakeDialogs::Shown box = fakes.dialogs.shown.first();
    QCOMPARE(box.title, u"Error!"_s);
    QCOMPARE(box.text, u"URL読み込みに失敗しました"_s);
    QCOMPARE(box.icon, Dialogs::Icon::Exclamation);
    QVERIFY(!box.isQuestion);
    QCOMPARE(w.Label5->text(), u"1"_s);
    QCOMPARE(w.MSFlexGrid1->cellText(3, grid::Price), u"old"_s);
    QVERIFY(w.Timer1->isActive());
    QTest::qWait(20);
    QCOMPARE(calls, 1);
}

// While one failure box is open, neither the Nikkei line nor another pass opens a second one.
void TstForm1Refresh::failureMessagesNeverStack()
{
    FakeServices fakes;
    fakes.http.setHandler(failing);
    Form1 w(fakes.services());
    setCodes(w, {u"7203"_s});
    bool firstBox = true;
    int nikkeiDone = 0;
    fakes.dialogs.whileOpen = [&] {
        if (!firstBox)
            return;
        firstBox = false;
        w.heikin([&] { ++nikkeiDone; });
        w.refreshQuotes();
        QTest::qWait(50); // the Nikkei request fails while the box is open
    };
    int calls = 0;
    w.refreshQuotes([&] { ++calls; });
    QTRY_COMPARE(calls, 1);
    QCOMPARE(nikkeiDone, 1);
    QCOMPARE(fakes.dialogs.maxOpen, 1);
    // The pass asked for during the box runs after it and may report its own failure then.
    QTRY_COMPARE(fakes.dialogs.shown.size(), 2);
    QTest::qWait(50);
    QCOMPARE(fakes.dialogs.shown.size(), 2);
}

void TstForm1Refresh::nikkeiLine()
{
    FakeServices fakes;
    fakes.http.serve(u"/nkave"_s, NikkeiPage.toUtf8());
    Form1 w(fakes.services());
    bool done = false;
    w.heikin([&] { done = true; });
    QTRY_VERIFY(done);
    QCOMPARE(w.Label4->text(), u"日経平均 12,283.62 (+193.16) "_s);
    QCOMPARE(fakes.http.requests.size(), 1);
    const HttpRequest& sent = fakes.http.requests.first();
    QCOMPARE(sent.url.toString(), u"http://market.test/nkave"_s);
    QCOMPARE(sent.headers.size(), 1);
    QCOMPARE(sent.headers.first().first, QByteArray("If-Modified-Since"));
    QCOMPARE(sent.headers.first().second, QByteArray("Thu, 01 Jun 1970 00:00:00 GMT"));
    QVERIFY(fakes.dialogs.shown.isEmpty());
}

void TstForm1Refresh::nikkeiFailure()
{
    FakeServices fakes;
    fakes.http.setHandler(failing);
    Form1 w(fakes.services());
    w.Label4->setText(u"日経平均 1 (2) 3"_s);
    int calls = 0;
    w.heikin([&] { ++calls; });
    QTRY_COMPARE(calls, 1);
    QCOMPARE(w.Label4->text(), u"日経平均 1 (2) 3"_s);
    QCOMPARE(fakes.dialogs.shown.size(), 1);
    QCOMPARE(fakes.dialogs.shown.first().title, u"Error!"_s);
    QCOMPARE(fakes.dialogs.shown.first().text, u"URL読み込みに失敗しました"_s);
    QCOMPARE(fakes.dialogs.shown.first().icon, Dialogs::Icon::Exclamation);
}

void TstForm1Refresh::nikkeiCallsShareOneRequest()
{
    FakeServices fakes;
    fakes.http.serve(u"/nkave"_s, NikkeiPage.toUtf8());
    fakes.http.setHolding(true);
    Form1 w(fakes.services());
    int first = 0, second = 0;
    w.heikin([&] { ++first; });
    w.heikin([&] { ++second; });
    QCOMPARE(fakes.http.held(), 1);
    fakes.http.releaseAll();
    QCOMPARE(first, 1);
    QCOMPARE(second, 1);
    QVERIFY(w.Label4->text().startsWith(u"日経平均 12,283.62"_s));
}

// Tags and entities in page values show as the characters they are: the picture they name is
// never loaded or drawn.
void TstForm1Refresh::pageMarkupShowsAsText()
{
    QTemporaryDir dir;
    const QString picture = dir.filePath(u"green.png"_s);
    QImage green(24, 8, QImage::Format_RGB32);
    green.fill(Qt::green);
    QVERIFY(green.save(picture));
    const QString markup = u"<img src=\"%1\"><i>1</i>&lt;"_s.arg(picture);
    QString nikkei = NikkeiPage;
    nikkei.replace(u"12,283.62"_s, markup);
    QByteArray quote = quotePage(u"detail_7203_realtime_up.html"_s);
    quote.replace("トヨタ自動車(株)</h1>", QByteArray(markup.toUtf8() + "</h1>"));
    FakeServices fakes;
    fakes.http.serve(u"/nkave"_s, nikkei.toUtf8());
    fakes.http.serve(u"code=7203"_s, quote);
    Form1 w(fakes.services());
    setCodes(w, {u"7203"_s});
    QVERIFY(refreshAndWait(w));
    bool done = false;
    w.heikin([&] { done = true; });
    QTRY_VERIFY(done);

    QCOMPARE(w.Label4->text(), u"日経平均 "_s + markup + u" (+193.16) "_s);
    QCOMPARE(w.MSFlexGrid1->cellText(1, grid::Name), markup);
    w.resize(1600, 400);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (QWidget* shown : {static_cast<QWidget*>(w.Label4), static_cast<QWidget*>(w.MSFlexGrid1)}) {
        const QImage drawn = shown->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                QVERIFY2(drawn.pixel(x, y) != QColor(Qt::green).rgb(), qPrintable(shown->objectName()));
    }
}

QTEST_MAIN(TstForm1Refresh)
#include "tst_form1refresh.moc"
