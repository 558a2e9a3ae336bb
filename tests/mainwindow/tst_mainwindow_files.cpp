// The main window on fakes: the watch list saved and opened, and the screen captured.
#include "windowpages.h"

#include <QDir>
#include <QFileInfo>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

class TestMainWindowFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void saveWritesTheFilledRowsAfterPacking()
    {
        Window w;
        QuoteGrid* g = w.make().findChild<QuoteGrid*>();
        fillRow(*g, 1, u"7203"_s, u"トヨタ自動車"_s);
        fillRow(*g, 2, u"0123"_s, u"A, B"_s);
        fillRow(*g, 5, u"9984"_s, u"ソフトバンクグループ"_s);
        w.put(Cells{{5, 12, u"15:00"_s}});
        g->setCurrent(7, 4);
        w.trigger(u"saveCommand"_s);
        QCOMPARE(w.read(Cells{{3, 1, {}}, {5, 1, {}}}), (Cells{{3, 1, u"9984"_s}, {5, 1, {}}}));
        const QString tail = u",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"%1\",\"%2\"\r\n"_s;
        QCOMPARE(readFile(w.fakes.config.dataFile(u"dat.txt"_s)),
                 cp932(u"7203,\"トヨタ自動車\",\"1,1\""_s + tail.arg(u"100"_s, QString()) +
                       u"123,\"A, B\",\"1,2\""_s + tail.arg(u"200"_s, QString()) +
                       u"9984,\"ソフトバンクグループ\",\"1,5\""_s + tail.arg(u"500"_s, u"15:00"_s)));
        QCOMPARE(w.fakes.dialogs.shown[0].text, u"保存完了"_s);
        QCOMPARE(w.state(), (WindowState{{1, 1}, u"1"_s, u"7203"_s, 1, 0, true}));
        w.put(Cells{{2, 1, u"28B5"_s}}); // a failed save says so
        w.trigger(u"saveCommand"_s);
        QVERIFY(w.fakes.dialogs.shown.value(1).text.contains(u"保存できませんでした"_s));
        for (int r = 1; r <= grid::WatchedRows; ++r) // a full list keeps its last row
            fillRow(*g, r, QString::number(1000 + r), u"n"_s);
        w.trigger(u"saveCommand"_s);
        const QList<QByteArray> lines = readFile(w.fakes.config.dataFile(u"dat.txt"_s)).split('\n');
        QCOMPARE(lines.size(), grid::WatchedRows + 1);
        QVERIFY(lines[grid::WatchedRows - 1].startsWith("1012,"));
    }

    // Opening empties every row and loads the file, row 1's code current; colours stay.
    void openWatchList_data()
    {
        QTest::addColumn<bool>("missing"); ///< no watch-list file in the data folder
        QTest::newRow("file present") << false;
        QTest::newRow("file missing") << true;
    }
    void openWatchList()
    {
        QFETCH(bool, missing);
        const QByteArray rows =
            cp932(u"7203,\"トヨタ\",\"2,000\",\"\",\"\",\"\",\"\",\"\",\"\",\"1900\",\"2100\",\"15:00\""_s +
                  u"\r\n6758,\"ソニー\""_s) +
            Empties;
        Window w;
        QVERIFY(missing || writeFile(w.fakes.config.dataFile(u"dat.txt"_s), rows + "\r\n"));
        QuoteGrid* g = w.make().findChild<QuoteGrid*>();
        for (int r = 1; r <= 12; ++r) {
            fillRow(*g, r, QString::number(1000 + r), u"before"_s);
            w.put({{r, 0, {}}, {r, 12, u"10:00"_s}});
        }
        g->setCellForeColor(4, grid::SellTarget, cellcolor::Red);
        g->setCurrent(5, 3);
        w.trigger(u"openCommand"_s);
        QCOMPARE((rowTexts(*g, 1) + rowTexts(*g, 2).mid(0, 2)).join(u'|'),
                 missing ? u"|||||||||||||"_s : u"7203|トヨタ|2,000|||||||1900|2100|15:00|6758|ソニー"_s);
        for (int r = 1; r <= 12; ++r) {
            QCOMPARE(g->cellText(r, 0), QString::number(r));
            QVERIFY(r < 3 || rowTexts(*g, r) == QStringList(12));
        }
        QCOMPARE(w.state(),
                 (WindowState{{1, 1}, u"1"_s, missing ? QString() : u"7203"_s, missing ? 1 : 0, 0, true}));
        QCOMPARE(g->cellForeColor(4, grid::SellTarget), cellcolor::Red);
        QVERIFY(!missing || w.fakes.dialogs.shown[0].text.contains(u"dat.txt"_s));
    }

    void withoutShiftJisConverterSaveAndOpenAreRefused()
    {
        Window w;
        const QString file = w.fakes.config.dataFile(u"dat.txt"_s);
        const QByteArray kept = "7203,\"A\"" + Empties + "\r\n";
        QVERIFY(writeFile(file, kept));
        Services services = w.fakes.services();
        services.shiftJisConverter = false;
        w.make(services);
        QCOMPARE(w.fakes.dialogs.shown.size(), 1); // said once at start
        const QString said = w.fakes.dialogs.shown[0].text;
        QCOMPARE(said, u"この環境には Shift_JIS（CP932）の文字コード変換がないため、"
                       "ウォッチリストの保存・読み込みとコード一覧の参照はできません。"_s);
        w.put(Cells{{2, 1, u"6758"_s}, {2, 2, u"ソニー"_s}});
        w.trigger(u"saveCommand"_s);
        w.trigger(u"openCommand"_s);
        w.select(2, grid::Code);
        QTest::keyClick(w.box(), Qt::Key_Return); // the code list cannot be read either: the code is kept
        QCOMPARE(w.fakes.dialogs.shown.size(), 4);
        QCOMPARE(w.fakes.dialogs.shown[3].text, said);
        QCOMPARE(readFile(file), kept);
        QCOMPARE(w.read(Cells{{2, 1, {}}, {2, 2, {}}}), (Cells{{2, 1, u"6758"_s}, {2, 2, u"ソニー"_s}}));
    }

    // The picture is saved before the question; Yes prints it; a printer or save failure is told.
    void capture()
    {
        Window w;
        w.fakes.screen.desktop = QImage(320, 200, QImage::Format_RGB32);
        w.fakes.screen.desktop.fill(Qt::darkGreen);
        const QString picPath = w.fakes.config.dataFile(u"pic/p13-03-05 .bmp"_s);
        QString beforeQuestion;
        w.fakes.dialogs.whileOpen = [&] {
            beforeQuestion =
                u"grabs %1 saved %2"_s.arg(w.fakes.screen.grabs).arg(QFileInfo(picPath).isFile());
        };
        w.make();
        w.trigger(u"captureCommand"_s);
        QCOMPARE(beforeQuestion, u"grabs 1 saved 1"_s); // pic/ was made when missing
        QCOMPARE(QtPictures().load(picPath).pixelColor(5, 5), QColor(Qt::darkGreen));
        QVERIFY(w.fakes.dialogs.shown[0].isQuestion);
        QCOMPARE(w.fakes.printer.printed, QList<QImage>{w.fakes.screen.desktop});

        w.fakes.printer.result = {false, u"既定のプリンターが設定されていません"_s, true};
        w.trigger(u"captureCommand"_s);
        QVERIFY(w.fakes.dialogs.shown.value(2).text.contains(u"既定のプリンターが設定されていない"_s));
        // A folder where the day's file belongs: no question, a message instead.
        QVERIFY(QFile::remove(picPath) && QDir().mkpath(picPath));
        w.trigger(u"captureCommand"_s);
        QCOMPARE(w.fakes.dialogs.shown.size(), 4);
        QVERIFY(w.fakes.dialogs.shown[3].text.contains(u"保存できませんでした"_s));
        QCOMPARE(w.fakes.printer.printed.size(), 2);
    }

    // "開く" empties the thumbnail and caption of every row whose stock it changed, keeps the others.
    void openClearsThumbnailsOfChangedRows_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<bool>("kept");
        QTest::newRow("same code kept") << 0 << true;
        QTest::newRow("another code cleared") << 1 << false;
        QTest::newRow("emptied row cleared") << 2 << false;
        QTest::newRow("emptied last row cleared") << 11 << false;
    }
    void openClearsThumbnailsOfChangedRows()
    {
        QFETCH(int, slot);
        QFETCH(bool, kept);
        Window w;
        serveOldPages(w);
        w.fakes.http.serve(u"/f?s="_s, chartPng(QSize(200, 100), Qt::blue), 200, "image/png");
        QVERIFY(writeFile(w.fakes.config.dataFile(u"dat.txt"_s),
                          cp932(u"7203,\"トヨタ自動車(株)\""_s) + Empties + "\r\n" +
                              cp932(u"9984,\"ソフトバンク\""_s) + Empties + "\r\n"));
        Cells watched{{1, 1, u"7203"_s}, {2, 1, u"6758"_s}};
        for (int row = 3; row <= grid::LastRow; ++row)
            watched.append({row, 1, u"7203"_s});
        QVERIFY(start(w, watched));
        w.drain();
        const auto* picture = w.child<PictureBox>(u"thumbnail%1"_s.arg(slot));
        const auto* caption = w.child<ThumbCaption>(u"thumbnailCaption%1"_s.arg(slot));
        QVERIFY(picture->hasPicture() && !caption->name().isEmpty());
        w.trigger(u"stopRealTimeCommand"_s);
        w.trigger(u"openCommand"_s);
        QCOMPARE(w.read(Cells{{2, 1, {}}, {3, 1, {}}}), (Cells{{2, 1, u"9984"_s}, {3, 1, {}}}));
        QCOMPARE(picture->hasPicture(), kept);
        QCOMPARE(caption->name().isEmpty(), !kept);
    }
};

QTEST_MAIN(TestMainWindowFiles)
#include "tst_mainwindow_files.moc"
