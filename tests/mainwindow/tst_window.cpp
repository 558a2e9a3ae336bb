// The main window on fakes: start-up, the refresh cycle and the quote refresh it runs, the chart
// windows, and the watch-list, settings and capture commands.
#include "mainwindow/settingswindow.h"
#include "platform/singleinstance.h"
#include "support/files.h"
#include "windowprobe.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

QByteArray quotePage(const QString& name)
{
    return readFile(QString::fromUtf8(TICKORA_QUOTE_PAGES "/") + name);
}

const QString NikkeiPage = u"<html><div class=\"cmn-index_value no-bg\"><b>12,283.62</b></div>"
                           "<a class=\"cmn-indexes_index_link\" href=\"/n\">前日比</a>(+193.16)</html>"_s;
const QByteArray Empties = ",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"";
const QStringList ToyotaRow = {u"7203"_s, u"トヨタ"_s, u"2,000"_s, {},        {},        {},
                               {},        {},          {},         u"1900"_s, u"2100"_s, u"15:00"_s};

/// Starts the refresh from the menu and waits until its last step, the Nikkei line, is done.
bool startAndWait(Window& w)
{
    w.label(u"Label4"_s)->clear();
    w.trigger(u"menu3"_s);
    return QTest::qWaitFor([&] { return !w.label(u"Label4"_s)->text().isEmpty(); }, 5000);
}

QList<Form6*> settingsWindows()
{
    QList<Form6*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<Form6*>(w))
            found.append(f);
    return found;
}

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void secondInstanceIsRefused()
    {
        FakeDialogs dialogs;
        FakeSingleInstance instance;
        QVERIFY(Form1::claimSingleInstance(instance, dialogs));
        QVERIFY(dialogs.shown.isEmpty());
        instance.free = false;
        QVERIFY(!Form1::claimSingleInstance(instance, dialogs));
        QCOMPARE(dialogs.shown.size(), 1);
        QCOMPARE(dialogs.shown[0].icon, Dialogs::Icon::Warning);
    }

    // One holder at a time, and the lock never lies in a folder others can write to (the shared
    // temp folder), where anyone could plant one: it is in the user's runtime folder, else in the
    // data folder.
    void lockFile()
    {
        QTemporaryDir dir;
        auto first = std::make_unique<LockFileInstance>(dir.filePath(u"tickora.lock"_s));
        QVERIFY(first->claim());
        QVERIFY(first->claim()); // claiming again in the same instance keeps the lock
        LockFileInstance second(dir.filePath(u"tickora.lock"_s));
        QVERIFY(!second.claim());
        first.reset();
        QVERIFY(second.claim());
        // A lock that cannot be made at all does not keep the program from starting.
        QVERIFY(LockFileInstance(dir.filePath(u"missing/tickora.lock"_s)).claim());

        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        const QByteArray tmp = qgetenv("TMPDIR");
        auto restore = qScopeGuard([&] {
            qputenv("XDG_RUNTIME_DIR", runtime);
            qputenv("TMPDIR", tmp);
        });
        const QString own = dir.filePath(u"run"_s);
        QVERIFY(QDir().mkdir(own, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        qputenv("XDG_RUNTIME_DIR", own.toLocal8Bit());
        const QString data = dir.filePath(u"kabu"_s);
        QCOMPARE(LockFileInstance::defaultLockPath(data), own + u"/tickora.lock"_s);
        // No runtime folder, and the one Qt would make in the temp folder is taken by someone else.
        qunsetenv("XDG_RUNTIME_DIR");
        QVERIFY(QDir().mkdir(dir.filePath(u"tmp"_s)));
        qputenv("TMPDIR", dir.filePath(u"tmp"_s).toLocal8Bit());
        QVERIFY(writeFile(dir.filePath(u"tmp/runtime-"_s) + QFileInfo(dir.path()).owner(), {}));
        QCOMPARE(LockFileInstance::defaultLockPath(data), data + u"/tickora.lock"_s);
    }

    void startPacksRowsAndRuns()
    {
        Window w;
        w.fakes.http.setHolding(true);
        QuoteGrid* g = w.make().findChild<QuoteGrid*>();
        fillRow(*g, 1, u"1301"_s, u"A"_s);
        fillRow(*g, 3, u"7203"_s, u"B"_s);
        g->setCellText(3, grid::Time, u"15:00"_s);
        g->setCellText(4, grid::Name, u"stray"_s); // a row without a code counts as empty
        fillRow(*g, 5, u"6758"_s, u"C"_s);
        const QStringList row3 = rowTexts(*g, 3);
        const QStringList row5 = rowTexts(*g, 5);
        w.trigger(u"menu3"_s);
        QCOMPARE(rowTexts(*g, 2), row3);
        QCOMPARE(rowTexts(*g, 3), row5);
        QCOMPARE(rowTexts(*g, 4), QStringList(12));
        QCOMPARE(rowTexts(*g, 5), QStringList(12));
        QVERIFY(!w.stopped());
    }

    // Every command that stops the cycle stops it at once and for good while a tick waits for
    // the network, and cancels the start queued behind the tick.
    void stopHolds_data()
    {
        QTest::addColumn<QString>("command");
        for (const QString& c :
             {u"menu4"_s, u"click"_s, u"menu8"_s, u"menu1"_s, u"menu7"_s, u"menu5"_s, u"munu6"_s, u"nyd"_s})
            QTest::newRow(qPrintable(c)) << c;
    }
    void stopHolds()
    {
        QFETCH(QString, command);
        Window w;
        w.fakes.http.setHolding(true);
        w.make();
        w.grid()->setCellText(1, grid::Code, u"7203"_s);
        w.grid()->setCellText(3, grid::Code, u"6758"_s);
        w.timer()->start();
        w.tick();
        QVERIFY(w.fakes.http.held() > 0);
        w.trigger(u"menu3"_s);
        if (command == u"click"_s)
            Q_EMIT w.grid()->clicked();
        else
            w.trigger(command);
        QVERIFY(w.stopped());
        w.drain();
        QVERIFY(w.stopped());
        if (command != u"menu1"_s) // settings empties the grid
            QCOMPARE(w.codes(3), (QStringList{u"7203"_s, QString(), u"6758"_s}));
        QCOMPARE(w.fakes.help.opened.size(), command == u"menu8"_s ? 1 : 0);
    }

    void tickStartsEveryRequestAtOnce()
    {
        Window w;
        w.fakes.http.setHolding(true);
        w.make();
        for (int r = 1; r <= 3; ++r)
            w.grid()->setCellText(r, grid::Code, QString::number(7200 + r));
        w.timer()->start();
        w.tick();
        // Three quote pages, three thumbnails, the index chart and the Nikkei page.
        QCOMPARE(w.fakes.http.requests.size(), 8);
        w.drain();
        QCOMPARE(w.fakes.http.requests.size(), 8); // every step took its prefetched answer
    }

    // Form5 and Form12 go back to their place each time they show; a tick closes them and the
    // settings window, and with no rows it leaves the current cell alone.
    void chartWindowsPlacedAndClosed()
    {
        Window w;
        w.make();
        const auto shown = [&w](const QString& name) -> QWidget* {
            for (QWidget* window : w.form->findChildren<QWidget*>(name))
                if (window->isVisible())
                    return window;
            return nullptr;
        };
        QList<QPointer<QWidget>> windows;
        for (const QString& name : {u"Form5"_s, u"Form12"_s}) {
            const QString command = name == u"Form5"_s ? u"menu5"_s : u"en"_s;
            w.trigger(command);
            QTRY_VERIFY(shown(name));
            const QPoint place = shown(name)->pos();
            shown(name)->move(place + QPoint(40, 30));
            QCOMPARE(shown(name)->pos(), place + QPoint(40, 30));
            w.trigger(command);
            QTRY_COMPARE(shown(name) ? shown(name)->pos() : QPoint(), place);
            windows << shown(name);
        }
        w.trigger(u"menu1"_s);
        windows << settingsWindows().value(0);
        w.grid()->setCurrent(3, grid::Price);
        w.tick();
        for (const QPointer<QWidget>& window : windows)
            QVERIFY(!window || !window->isVisible());
        w.drain();
        QCOMPARE(w.grid()->col(), int(grid::Price));
    }

    void startFillsTheWindow()
    {
        Window w;
        w.fakes.http.serve(u"code=7203"_s, quotePage(u"detail_7203_realtime_up.html"_s));
        w.fakes.http.serve(u"code=6758"_s, quotePage(u"detail_6758_delayed_down.html"_s));
        w.fakes.http.serve(u"/nkave"_s, NikkeiPage.toUtf8());
        w.make();
        QuoteGrid* g = w.grid();
        g->setCellText(1, grid::Code, u"7203"_s);
        g->setCellText(2, grid::Code, u"6758"_s);
        g->setCellText(1, grid::SellTarget, u"5400"_s);
        QVERIFY(startAndWait(w));
        QCOMPARE(g->cellText(1, grid::Price), u"5,430"_s);
        QCOMPARE(g->cellText(2, grid::Change), u"-3"_s);
        QCOMPARE(w.rowLabel(), u"2"_s);
        QCOMPARE(g->row(), 2);
        QCOMPARE(w.label(u"Label4"_s)->text(), u"日経平均 12,283.62 (+193.16) "_s);
        QCOMPARE(w.fakes.sound.played, QStringList{w.fakes.config.dataFile(u"chimes.wav"_s)});
        QVERIFY(!w.stopped());
        QVERIFY(w.fakes.dialogs.shown.isEmpty());
        // Muted, the next tick chimes no more.
        w.child<QCheckBox>(u"Check1"_s)->setChecked(true);
        QVERIFY(startAndWait(w));
        QCOMPARE(w.fakes.sound.played.size(), 1);
    }

    void stopDuringPassLeavesTheUsersCell()
    {
        Window w;
        w.fakes.http.serve(u"code=7203"_s, quotePage(u"detail_7203_realtime_up.html"_s));
        w.fakes.http.setHolding(true);
        w.make();
        QVERIFY(w.showActive());
        w.grid()->setCellText(1, grid::Code, u"7203"_s);
        w.grid()->setCellText(2, grid::Code, u"7203"_s);
        w.trigger(u"menu3"_s);
        // The user clicks row 1's price while the pages are on their way.
        QTest::mouseClick(w.grid()->viewport(), Qt::LeftButton, {}, w.cellCenter(1, grid::Price));
        w.drain();
        QCOMPARE(w.grid()->cellText(2, grid::Price), u"5,430"_s); // quotes still written
        QCOMPARE(QPoint(w.grid()->row(), w.grid()->col()), QPoint(1, grid::Price));
        QCOMPARE(w.rowLabel(), u"1"_s);
        QCOMPARE(w.box()->text(), u"5,430"_s);    // the box shows the cell's new quote
        QVERIFY(w.fakes.dialogs.shown.isEmpty()); // the later steps never ran
        QVERIFY(w.stopped());
    }

    void failedPageEndsThePassWithOneMessage()
    {
        Window w;
        w.fakes.http.serve(u"code=7203"_s, quotePage(u"detail_7203_realtime_up.html"_s));
        w.fakes.http.serve(u"code=1111"_s, "gone", 404);
        w.fakes.http.serve(u"/nkave"_s, NikkeiPage.toUtf8());
        w.make();
        for (int r = 1; r <= 3; ++r)
            w.grid()->setCellText(r, grid::Code, r == 2 ? u"1111"_s : u"7203"_s);
        w.grid()->setCellText(3, grid::Price, u"old"_s);
        QVERIFY(startAndWait(w));
        QCOMPARE(w.fakes.dialogs.shown.size(), 1);
        QCOMPARE(w.fakes.dialogs.shown[0].text, u"URL読み込みに失敗しました"_s);
        QCOMPARE(w.rowLabel(), u"1"_s);
        QCOMPARE(w.grid()->cellText(3, grid::Price), u"old"_s);
        QVERIFY(!w.stopped());
    }

    // Tags and entities in page values show as the characters they are: the picture they name
    // is never loaded or drawn.
    void pageMarkupShowsAsText()
    {
        QTemporaryDir dir;
        QImage green(24, 8, QImage::Format_RGB32);
        green.fill(Qt::green);
        QVERIFY(green.save(dir.filePath(u"green.png"_s)));
        const QString markup = u"<img src=\"%1\"><i>1</i>&lt;"_s.arg(dir.filePath(u"green.png"_s));
        QByteArray quote = quotePage(u"detail_7203_realtime_up.html"_s);
        quote.replace("トヨタ自動車(株)</h1>", QByteArray(markup.toUtf8() + "</h1>"));
        Window w;
        w.fakes.http.serve(u"/nkave"_s, QString(NikkeiPage).replace(u"12,283.62"_s, markup).toUtf8());
        w.fakes.http.serve(u"code=7203"_s, quote);
        w.make().resize(1600, 700);
        w.grid()->setCellText(1, grid::Code, u"7203"_s);
        QVERIFY(startAndWait(w));
        QCOMPARE(w.label(u"Label4"_s)->text(), u"日経平均 "_s + markup + u" (+193.16) "_s);
        QCOMPARE(w.grid()->cellText(1, grid::Name), markup);
        QCOMPARE(w.label(u"Label1_0"_s)->text(), markup);
        w.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        for (const QString& name : {u"Label4"_s, u"MSFlexGrid1"_s, u"Label1_0"_s}) {
            const QImage drawn =
                w.child<QWidget>(name)->grab().toImage().convertToFormat(QImage::Format_RGB32);
            for (int y = 0; y < drawn.height(); ++y)
                for (int x = 0; x < drawn.width(); ++x)
                    QVERIFY2(drawn.pixel(x, y) != QColor(Qt::green).rgb(), qPrintable(name));
        }
    }

    void saveWritesTheFilledRowsAfterPacking()
    {
        Window w;
        QuoteGrid* g = w.make().findChild<QuoteGrid*>();
        fillRow(*g, 1, u"7203"_s, u"トヨタ自動車"_s);
        fillRow(*g, 2, u"0123"_s, u"A, B"_s);
        fillRow(*g, 5, u"9984"_s, u"ソフトバンクグループ"_s);
        g->setCurrent(7, 4);
        w.trigger(u"menu2"_s);
        QCOMPARE(w.codes(5), (QStringList{u"7203"_s, u"0123"_s, u"9984"_s, QString(), QString()}));
        const QString tail = u",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"%1\",\"\"\r\n"_s;
        QCOMPARE(readFile(w.fakes.config.dataFile(u"dat.txt"_s)),
                 cp932(u"7203,\"トヨタ自動車\",\"1,1\""_s + tail.arg(100) + u"123,\"A, B\",\"1,2\""_s +
                       tail.arg(200) + u"9984,\"ソフトバンクグループ\",\"1,5\""_s + tail.arg(500)));
        QCOMPARE(w.fakes.dialogs.shown.size(), 1);
        QCOMPARE(w.fakes.dialogs.shown[0].text, u"保存完了"_s);
        QCOMPARE(QPoint(g->row(), g->col()), QPoint(1, 1));
    }

    void failedSaveKeepsTheOldFileAndSaysSo_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("mentioned");
        QTest::newRow("code out of range") << u"40000"_s << u"2行目"_s;
        QTest::newRow("data folder cannot be made") << u"6758"_s << u"データフォルダー"_s;
    }
    void failedSaveKeepsTheOldFileAndSaysSo()
    {
        QFETCH(QString, code);
        QFETCH(QString, mentioned);
        Window w;
        const QByteArray old = "1111,\"old\"" + Empties + "\r\n";
        const QString oldPath = w.fakes.config.dataFile(u"dat.txt"_s);
        QVERIFY(writeFile(oldPath, old));
        if (code == u"6758"_s)
            w.fakes.config.dataDir = oldPath + u"/kabu"_s; // below a regular file
        fillRow(*w.make().findChild<QuoteGrid*>(), 1, u"7203"_s, u"トヨタ自動車"_s);
        fillRow(*w.grid(), 2, code, u"ソニー"_s);
        w.trigger(u"menu2"_s);
        QCOMPARE(readFile(oldPath), old);
        QCOMPARE(w.fakes.dialogs.shown.size(), 1);
        const QString said = w.fakes.dialogs.shown[0].text;
        QVERIFY2(said.contains(u"保存できませんでした"_s) && said.contains(mentioned), qPrintable(said));
    }

    // Opening empties every row and loads what the file holds, with row 1's code current and in
    // the box (as a refresh or a click may have left another cell current); colours stay.
    void openWatchList_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("said");
        const QByteArray toyota =
            cp932(u"7203,\"トヨタ\",\"2,000\",\"\",\"\",\"\",\"\",\"\",\"\",\"1900\",\"2100\",\"15:00\""_s);
        QTest::newRow("exact") << toyota + "\r\n" + cp932(u"6758,\"ソニー\""_s) + Empties + "\r\n"
                               << QString();
        QTest::newRow("damaged") << "abc,\"x\"" + Empties + "\r\n" + toyota + "\n\r\n" +
                                        cp932(u"6758,\"ソニー\""_s) + Empties + "\r\n1,\"short\"\r\n"
                                 << u"1、3、5 行目"_s;
        QTest::newRow("missing") << QByteArray() << u"dat.txt"_s;
    }
    void openWatchList()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, said);
        Window w;
        if (!file.isEmpty())
            QVERIFY(writeFile(w.fakes.config.dataFile(u"dat.txt"_s), file));
        QuoteGrid* g = w.make().findChild<QuoteGrid*>();
        for (int r = 1; r <= 12; ++r) {
            fillRow(*g, r, QString::number(1000 + r), u"before"_s);
            g->setCellText(r, grid::Time, u"10:00"_s);
            g->setCellText(r, 0, {});
        }
        g->setCellForeColor(4, grid::SellTarget, cellcolor::Red);
        g->setCurrent(5, 3);
        w.trigger(u"menu11"_s);
        const bool loads = !file.isEmpty();
        QCOMPARE(rowTexts(*g, 1), loads ? ToyotaRow : QStringList(12));
        QCOMPARE(rowTexts(*g, 2).mid(0, 2), loads ? QStringList({u"6758"_s, u"ソニー"_s}) : QStringList(2));
        for (int r = 3; r <= 12; ++r)
            QCOMPARE(rowTexts(*g, r), QStringList(12));
        for (int r = 1; r <= 12; ++r)
            QCOMPARE(g->cellText(r, 0), QString::number(r));
        QCOMPARE(w.box()->text(), loads ? u"7203"_s : QString());
        QCOMPARE(QPoint(g->row(), g->col()), QPoint(1, 1));
        QCOMPARE(g->cellForeColor(4, grid::SellTarget), cellcolor::Red);
        QCOMPARE(w.fakes.dialogs.shown.size(), said.isEmpty() ? 0 : 1);
        if (!said.isEmpty())
            QVERIFY2(w.fakes.dialogs.shown[0].text.contains(said), qPrintable(w.fakes.dialogs.shown[0].text));
    }

    void withoutShiftJisConverterSaveAndOpenAreRefused()
    {
        Window w;
        const QString file = w.fakes.config.dataFile(u"dat.txt"_s);
        const QByteArray kept = "7203,\"A\"" + Empties + "\r\n";
        QVERIFY(writeFile(file, kept));
        Services services = w.fakes.services();
        services.shiftJisConverter = false;
        fillRow(*w.make(services).findChild<QuoteGrid*>(), 2, u"6758"_s, u"ソニー"_s);
        QCOMPARE(w.fakes.dialogs.shown.size(), 1); // said once at start
        const QString said = w.fakes.dialogs.shown[0].text;
        QVERIFY2(said.contains(u"Shift_JIS"_s), qPrintable(said));
        w.trigger(u"menu2"_s);
        w.trigger(u"menu11"_s);
        w.select(2, grid::Code);
        QTest::keyClick(w.box(), Qt::Key_Return); // the code list cannot be read either: the code is kept
        QCOMPARE(w.fakes.dialogs.shown.size(), 4);
        for (const FakeDialogs::Shown& shown : std::as_const(w.fakes.dialogs.shown))
            QCOMPARE(shown.text, said);
        QCOMPARE(readFile(file), kept);
        QCOMPARE(rowTexts(*w.grid(), 2).mid(0, 2), QStringList({u"6758"_s, u"ソニー"_s}));
    }

    // Settings empties the grid (colours stay) and shows the resolution; showing it again keeps
    // one window with new texts; OK removes it, and it does not outlive the main window.
    void settings()
    {
        QCOMPARE(resolutionText(QSizeF(1366.5, 767.25)), u"1366.5 x 767.25"_s);
        Window w;
        w.fakes.screen.size = QSize(1024, 768);
        QuoteGrid* g = w.make().findChild<QuoteGrid*>();
        fillRow(*g, 12, u"7203"_s, u"x"_s);
        g->setCellText(12, grid::Time, u"15:00"_s);
        g->setCellForeColor(12, grid::SellTarget, cellcolor::Red);
        w.trigger(u"menu1"_s);
        QCOMPARE(rowTexts(*g, 12), QStringList(12));
        QCOMPARE(g->cellForeColor(12, grid::SellTarget), cellcolor::Red);
        QCOMPARE(settingsWindows().size(), 1);
        QPointer<Form6> form = settingsWindows().first();
        QVERIFY(form->isVisible());
        QCOMPARE(form->Label2->text(), u"1024 x 768"_s);
        w.fakes.screen.size = QSize(1280, 800);
        w.trigger(u"menu1"_s);
        QCOMPARE(settingsWindows(), QList<Form6*>{form.data()});
        QCOMPARE(form->Label2->text(), u"1280 x 800"_s);
        QTest::mouseClick(form->Command2, Qt::LeftButton);
        QTRY_VERIFY(form.isNull());
        w.trigger(u"menu1"_s); // and the next showing makes it again
        QCOMPARE(settingsWindows().size(), 1);
        form = settingsWindows().first();
        w.form.reset();
        QVERIFY(form.isNull());
    }

    // The picture is taken and saved before the question; Yes prints it. A printer or saving
    // failure gives a message instead.
    void capture()
    {
        Window w;
        w.fakes.screen.desktop = QImage(320, 200, QImage::Format_RGB32);
        w.fakes.screen.desktop.fill(Qt::darkGreen);
        const QString picPath = w.fakes.config.dataFile(u"pic/p13-03-05 .bmp"_s);
        bool savedBeforeQuestion = false;
        int grabsBeforeQuestion = -1;
        w.fakes.dialogs.whileOpen = [&] {
            savedBeforeQuestion = QFileInfo(picPath).isFile();
            grabsBeforeQuestion = w.fakes.screen.grabs;
        };
        w.make();
        w.trigger(u"HDCOPY"_s);
        QCOMPARE(grabsBeforeQuestion, 1);
        QVERIFY(savedBeforeQuestion); // pic/ was made when missing
        QCOMPARE(QtPictures().load(picPath).pixelColor(5, 5), QColor(Qt::darkGreen));
        QCOMPARE(w.fakes.dialogs.shown.size(), 1);
        QVERIFY(w.fakes.dialogs.shown[0].isQuestion);
        QCOMPARE(w.fakes.printer.printed, QList<QImage>{w.fakes.screen.desktop});

        w.fakes.printer.result = {false, u"既定のプリンターが設定されていません"_s, true};
        w.trigger(u"HDCOPY"_s);
        QCOMPARE(w.fakes.dialogs.shown.size(), 3);
        QVERIFY(!w.fakes.dialogs.shown[2].isQuestion);
        QVERIFY(w.fakes.dialogs.shown[2].text.contains(u"既定のプリンターが設定されていない"_s));

        // A folder where the day's file belongs: no question, a message instead.
        QVERIFY(QFile::remove(picPath));
        QVERIFY(QDir().mkpath(picPath));
        w.trigger(u"HDCOPY"_s);
        QCOMPARE(w.fakes.dialogs.shown.size(), 4);
        QVERIFY(w.fakes.dialogs.shown[3].text.contains(u"保存できませんでした"_s));
        QCOMPARE(w.fakes.printer.printed.size(), 2);
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
