// The main window's watch-list, settings and capture commands, on fakes.
#include "mainwindow/entrybox.h"
#include "mainwindow/form1.h"
#include "mainwindow/quotegrid.h"
#include "mainwindow/settingswindow.h"
#include "support/fakes.h"
#include "support/files.h"
#include "windowprobe.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

const QByteArray Empties = ",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"";

void fillRow(QuoteGrid* grid, int row, const QString& code, const QString& name)
{
    grid->setCellText(row, grid::Code, code);
    grid->setCellText(row, grid::Name, name);
    grid->setCellText(row, grid::Price, u"1,%1"_s.arg(row));
    grid->setCellText(row, grid::SellTarget, u"%1"_s.arg(row * 100));
}

QStringList rowTexts(QuoteGrid* grid, int row)
{
    QStringList texts;
    for (int c = grid::Code; c <= grid::Time; ++c)
        texts.append(grid->cellText(row, c));
    return texts;
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

class TestForm1Files : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void resolutionTexts_data()
    {
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<QString>("text");
        QTest::newRow("fractional quotient") << QSizeF(1366.5, 767.25) << u"1366.5 x 767.25"_s;
    }
    void resolutionTexts()
    {
        QFETCH(QSizeF, size);
        QFETCH(QString, text);
        QCOMPARE(resolutionText(size), text);
    }

    void saveWritesTheFilledRowsAfterPacking()
    {
        FakeServices fakes;
        Form1 w(fakes.services());
        fillRow(gridOf(w), 1, u"7203"_s, u"トヨタ自動車"_s);
        fillRow(gridOf(w), 2, u"0123"_s, u"A, B"_s);
        fillRow(gridOf(w), 5, u"9984"_s, u"ソフトバンクグループ"_s);
        gridOf(w)->setCurrent(7, 4);

        actionOf(w, u"menu2"_s)->trigger();

        // Row 5 moved up to row 3 on screen, and three lines were written in that order.
        QCOMPARE(gridOf(w)->cellText(3, grid::Code), u"9984"_s);
        QVERIFY(gridOf(w)->cellText(5, grid::Code).isEmpty());
        QStringDecoder cp932("Shift_JIS");
        const QString text = cp932.decode(readFile(fakes.config.dataFile(u"dat.txt"_s)));
        const QString tail = u",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"%1\",\"\"\r\n"_s;
        QCOMPARE(text, u"7203,\"トヨタ自動車\",\"1,1\""_s + tail.arg(100) + u"123,\"A, B\",\"1,2\""_s +
                           tail.arg(200) + u"9984,\"ソフトバンクグループ\",\"1,5\""_s + tail.arg(500));

        QCOMPARE(fakes.dialogs.shown.size(), 1);
        QCOMPARE(fakes.dialogs.shown[0].text, u"保存完了"_s);
        QCOMPARE(fakes.dialogs.shown[0].title, u"Tickora"_s);
        QCOMPARE(fakes.dialogs.shown[0].icon, Dialogs::Icon::None);
        QCOMPARE(gridOf(w)->row(), 1);
        QCOMPARE(gridOf(w)->col(), 1);
    }

    void failedSaveKeepsTheOldFileAndSaysSo_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("mentioned");
        QTest::newRow("code out of range") << u"code"_s << u"2行目"_s;
        QTest::newRow("data folder cannot be made") << u"parent"_s << u"データフォルダー"_s;
    }
    void failedSaveKeepsTheOldFileAndSaysSo()
    {
        QFETCH(QString, failure);
        QFETCH(QString, mentioned);
        FakeServices fakes;
        const QByteArray old = "1111,\"old\"" + Empties + "\r\n";
        const QString oldPath = fakes.config.dataFile(u"dat.txt"_s);
        QVERIFY(writeFile(oldPath, old));
        if (failure == u"parent"_s) {
            fakes.config.dataDir = oldPath + u"/kabu"_s; // below a regular file
        }
        Form1 w(fakes.services());
        fillRow(gridOf(w), 1, u"7203"_s, u"トヨタ自動車"_s);
        fillRow(gridOf(w), 2, failure == u"code"_s ? u"40000"_s : u"6758"_s, u"ソニー"_s);

        actionOf(w, u"menu2"_s)->trigger();

        QCOMPARE(readFile(oldPath), old);
        QCOMPARE(fakes.dialogs.shown.size(), 1);
        const auto& shown = fakes.dialogs.shown[0];
        QVERIFY(shown.text != u"保存完了"_s);
        QVERIFY2(shown.text.contains(u"保存できませんでした"_s), qPrintable(shown.text));
        QVERIFY2(shown.text.contains(mentioned), qPrintable(shown.text));
        QCOMPARE(shown.icon, Dialogs::Icon::Warning);
    }

    void openWithAnotherCurrentCellLoadsExactly()
    {
        FakeServices fakes;
        const QByteArray file =
            "7203,\"トヨタ\",\"2,000\",\"\",\"\",\"\",\"\",\"\",\"\",\"1900\",\"2100\",\"15:00\"\r\n"
            "6758,\"ソニー\"" +
            Empties +
            "\r\n"
            "9984,\"SBG\"" +
            Empties + "\r\n";
        QStringEncoder toCp932("Shift_JIS");
        QVERIFY(writeFile(fakes.config.dataFile(u"dat.txt"_s), toCp932.encode(QString::fromUtf8(file))));
        Form1 w(fakes.services());
        // Whatever the code-entry handler does, the entry box mirrors the grid's current cell:
        // every change of the box is written into that cell.
        QObject::connect(boxOf(w), &QLineEdit::textChanged, &w,
                         [&w](const QString& t) { gridOf(w)->setText(t); });
        for (int r = 1; r <= 12; ++r)
            fillRow(gridOf(w), r, QString::number(1000 + r), u"before"_s);
        gridOf(w)->setCellForeColor(4, grid::SellTarget, cellcolor::Red);
        gridOf(w)->setCurrent(5, 3); // as a refresh pass or a click may leave it

        actionOf(w, u"menu11"_s)->trigger();

        QCOMPARE(rowTexts(gridOf(w), 1), (QStringList{u"7203"_s,
                                                      u"トヨタ"_s,
                                                      u"2,000"_s,
                                                      {},
                                                      {},
                                                      {},
                                                      {},
                                                      {},
                                                      {},
                                                      u"1900"_s,
                                                      u"2100"_s,
                                                      u"15:00"_s}));
        QCOMPARE(rowTexts(gridOf(w), 2).mid(0, 2), (QStringList{u"6758"_s, u"ソニー"_s}));
        QCOMPARE(rowTexts(gridOf(w), 3).mid(0, 2), (QStringList{u"9984"_s, u"SBG"_s}));
        for (int r = 4; r <= 12; ++r)
            QCOMPARE(rowTexts(gridOf(w), r), QStringList(12));
        for (int r = 1; r <= 12; ++r)
            QCOMPARE(gridOf(w)->cellText(r, 0), QString::number(r));
        QCOMPARE(boxOf(w)->text(), u"7203"_s);
        QCOMPARE(gridOf(w)->row(), 1);
        QCOMPARE(gridOf(w)->col(), 1);
        QCOMPARE(gridOf(w)->cellForeColor(4, grid::SellTarget), cellcolor::Red); // colours stay
        QVERIFY(fakes.dialogs.shown.isEmpty());
    }

    void openMissingFileClearsAndSays_data()
    {
        QTest::addColumn<bool>("folderMissing");
        QTest::newRow("file missing") << false;
    }
    void openMissingFileClearsAndSays()
    {
        QFETCH(bool, folderMissing);
        FakeServices fakes;
        if (folderMissing)
            fakes.config.dataDir = fakes.dataDir.filePath(u"gone"_s);
        Form1 w(fakes.services());
        fillRow(gridOf(w), 3, u"7203"_s, u"x"_s);
        actionOf(w, u"menu11"_s)->trigger();
        QCOMPARE(rowTexts(gridOf(w), 3), QStringList(12));
        QCOMPARE(gridOf(w)->cellText(12, 0), u"12"_s);
        QVERIFY(boxOf(w)->text().isEmpty());
        QCOMPARE(fakes.dialogs.shown.size(), 1);
        QVERIFY(fakes.dialogs.shown[0].text.contains(folderMissing ? u"データフォルダー"_s : u"dat.txt"_s));
    }

    void withoutShiftJisConverterSaveAndOpenAreRefused()
    {
        FakeServices fakes;
        const QString file = fakes.config.dataFile(u"dat.txt"_s);
        const QByteArray kept = "7203,\"A\"" + Empties + "\r\n";
        QVERIFY(writeFile(file, kept));
        Services services = fakes.services();
        services.shiftJisConverter = false;
        Form1 w(services);
        QCOMPARE(fakes.dialogs.shown.size(), 1); // said once at start
        const QString said = fakes.dialogs.shown[0].text;
        QVERIFY2(said.contains(u"Shift_JIS"_s), qPrintable(said));

        fillRow(gridOf(w), 2, u"6758"_s, u"ソニー"_s);
        actionOf(w, u"menu2"_s)->trigger();
        actionOf(w, u"menu11"_s)->trigger();
        gridOf(w)->setCurrent(2, grid::Code);
        Q_EMIT gridOf(w)->focusReceived();
        QTest::keyClick(boxOf(w), Qt::Key_Return); // the code list cannot be read either: the code is kept
        QCOMPARE(fakes.dialogs.shown.size(), 4);
        for (const FakeDialogs::Shown& shown : std::as_const(fakes.dialogs.shown))
            QCOMPARE(shown.text, said);
        QCOMPARE(readFile(file), kept);
        QCOMPARE(rowTexts(gridOf(w), 2).mid(0, 2), QStringList({u"6758"_s, u"ソニー"_s}));
    }

    void openDamagedFileLoadsTheGoodLinesAndNamesTheOthers()
    {
        FakeServices fakes;
        QVERIFY(writeFile(fakes.config.dataFile(u"dat.txt"_s),
                          "abc,\"x\"" + Empties + "\r\n" + "7203,\"A\"" + Empties + "\n" + "\r\n" +
                              u"6758,\"ソニー\""_s.toUtf8() + Empties + "\r\n" + "1,\"short\"\r\n"));
        Form1 w(fakes.services());
        actionOf(w, u"menu11"_s)->trigger();
        QCOMPARE(gridOf(w)->cellText(1, grid::Code), u"7203"_s);
        QCOMPARE(gridOf(w)->cellText(2, grid::Name), u"ソニー"_s);
        QVERIFY(gridOf(w)->cellText(3, grid::Code).isEmpty());
        QCOMPARE(boxOf(w)->text(), u"7203"_s);
        QCOMPARE(fakes.dialogs.shown.size(), 1);
        QVERIFY2(fakes.dialogs.shown[0].text.contains(u"1、3、5 行目"_s),
                 qPrintable(fakes.dialogs.shown[0].text));
    }

    void settingsShowsTheResolution_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QString>("text");
        QTest::newRow("1024 x 768") << QSize(1024, 768) << u"1024 x 768"_s;
    }
    void settingsShowsTheResolution()
    {
        QFETCH(QSize, screen);
        QFETCH(QString, text);
        FakeServices fakes;
        fakes.screen.size = screen;
        Form1 w(fakes.services());
        fillRow(gridOf(w), 1, u"7203"_s, u"x"_s);
        gridOf(w)->setCellForeColor(1, grid::SellTarget, cellcolor::Red);
        labelOf(w, u"Label3"_s)->setText(u" リアルタイム株価表示中"_s);
        timerOf(w)->start();

        actionOf(w, u"menu1"_s)->trigger();

        QVERIFY(!timerOf(w)->isActive());
        QCOMPARE(labelOf(w, u"Label3"_s)->palette().color(QPalette::Window), QColor(Qt::black));
        QCOMPARE(labelOf(w, u"Label3"_s)->text(), u" リアルタイム株価表示中"_s);
        QCOMPARE(rowTexts(gridOf(w), 1), QStringList(12));
        QCOMPARE(gridOf(w)->cellForeColor(1, grid::SellTarget), cellcolor::Red);
        const QList<Form6*> windows = settingsWindows();
        QCOMPARE(windows.size(), 1);
        Form6* form = windows.first();
        QVERIFY(form->isVisible());
        QCOMPARE(labelOf(*form, u"Label2"_s)->text(), text);
        delete form;
    }

    void settingsTwiceKeepsOneWindowWithNewTexts()
    {
        FakeServices fakes;
        fakes.screen.size = QSize(1024, 768);
        QPointer<Form6> first;
        {
            Form1 w(fakes.services());
            actionOf(w, u"menu1"_s)->trigger();
            QCOMPARE(settingsWindows().size(), 1);
            first = settingsWindows().first();
            fakes.screen.size = QSize(1280, 800); // the resolution changed meanwhile
            actionOf(w, u"menu1"_s)->trigger();
            QCOMPARE(settingsWindows().size(), 1);
            QCOMPARE(settingsWindows().first(), first.data());
            QCOMPARE(first->Label2->text(), u"1280 x 800"_s);

            QTest::mouseClick(first->Command2, Qt::LeftButton); // "ＯＫ" removes it
            QTRY_VERIFY(first.isNull());
            actionOf(w, u"menu1"_s)->trigger(); // and the next "設定" makes it again
            QCOMPARE(settingsWindows().size(), 1);
            first = settingsWindows().first();
        }
        // It has no owner, yet it does not outlive the main window.
        QVERIFY(first.isNull());
    }

    void captureSavesAsksAndPrints()
    {
        FakeServices fakes;
        fakes.screen.desktop = QImage(320, 200, QImage::Format_RGB32);
        fakes.screen.desktop.fill(Qt::darkGreen);
        fakes.clock.date = QDate(2013, 3, 5);
        fakes.dialogs.answers = {true};
        const QString picPath = fakes.config.dataFile(u"pic/p13-03-05 .bmp"_s);
        bool savedBeforeQuestion = false;
        int grabsBeforeQuestion = -1;
        fakes.dialogs.whileOpen = [&] {
            savedBeforeQuestion = QFileInfo(picPath).isFile();
            grabsBeforeQuestion = fakes.screen.grabs;
        };
        Form1 w(fakes.services());

        actionOf(w, u"HDCOPY"_s)->trigger();

        QCOMPARE(grabsBeforeQuestion, 1);
        QVERIFY(savedBeforeQuestion); // pic/ was made when missing
        QCOMPARE(QtPictures().load(picPath).pixelColor(5, 5), QColor(Qt::darkGreen));
        QCOMPARE(fakes.dialogs.shown.size(), 1);
        QVERIFY(fakes.dialogs.shown[0].isQuestion);
        QCOMPARE(fakes.dialogs.shown[0].title, u"印刷確認"_s);
        QCOMPARE(fakes.dialogs.shown[0].text, u"画面保存しました。印刷をしますか"_s);
        QCOMPARE(fakes.printer.printed.size(), 1);
        QCOMPARE(fakes.printer.printed[0], fakes.screen.desktop);
    }

    void captureFailuresGiveMessages()
    {
        FakeServices fakes;
        fakes.screen.desktop = QImage(32, 32, QImage::Format_RGB32);
        fakes.screen.desktop.fill(Qt::red);
        fakes.printer.result = {false, u"既定のプリンターが設定されていません"_s, true};
        Form1 w(fakes.services());

        actionOf(w, u"HDCOPY"_s)->trigger(); // Yes, but there is no printer
        QCOMPARE(fakes.dialogs.shown.size(), 2);
        QVERIFY(!fakes.dialogs.shown[1].isQuestion);
        QVERIFY(fakes.dialogs.shown[1].text.contains(u"既定のプリンターが設定されていない"_s));
        QCOMPARE(fakes.dialogs.shown[1].icon, Dialogs::Icon::Warning);

        // A folder where the day's file belongs: no question, a message instead.
        QVERIFY(QFile::remove(fakes.config.dataFile(u"pic/p13-03-05 .bmp"_s)));
        QVERIFY(QDir().mkpath(fakes.config.dataFile(u"pic/p13-03-05 .bmp"_s)));
        actionOf(w, u"HDCOPY"_s)->trigger();
        QCOMPARE(fakes.dialogs.shown.size(), 3);
        QVERIFY(!fakes.dialogs.shown[2].isQuestion);
        QVERIFY(fakes.dialogs.shown[2].text.contains(u"保存できませんでした"_s));
        QCOMPARE(fakes.printer.printed.size(), 1);
    }
};

QTEST_MAIN(TestForm1Files)
#include "tst_form1_files.moc"
