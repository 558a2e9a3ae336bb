// The main window as it stands right after start-up, the single-instance rule and help.
#include "charts/picturebox.h"
#include "support/fakes.h"
#include "mainwindow/entrybox.h"
#include "mainwindow/form1.h"
#include "mainwindow/quotegrid.h"
#include "platform/singleinstance.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

class TestStartup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void windowStartsStoppedAndEmpty()
    {
        FakeServices fakes;
        Form1 form(fakes.services());
        QCOMPARE(form.objectName(), u"Form1"_s);
        QCOMPARE(form.windowTitle(), u"Tickora"_s);
        QCOMPARE(form.Label2->text(), u"2013/03/05 "_s); // the fake clock's date, one trailing blank
        QVERIFY(!form.Timer1->isActive());
        QCOMPARE(form.Timer1->interval(), 30000);
        QCOMPARE(form.Label3->palette().color(QPalette::Window), QColor(Qt::black));
        QVERIFY(form.Label3->text().isEmpty());
        QCOMPARE(form.Label5->text(), u"1"_s);
        QCOMPARE(form.MSFlexGrid1->row(), 1);
        QVERIFY(form.Text1->text().isEmpty());
        QCOMPARE(form.Text1->toolTip(), u"Code入力"_s);
        QCOMPARE(form.Check1->text(), u"消音"_s);
        QVERIFY(!form.Check1->isChecked());
        QCOMPARE(form.helpPath, fakes.config.dataFile(u"Auot.html"_s));
        QCOMPARE(form.watchCount, qint16(0));
        QCOMPARE(form.shortNames.size(), 13);
    }

    void gridHasCaptionsStripesAndWidths()
    {
        FakeServices fakes;
        Form1 form(fakes.services());
        QuoteGrid* g = form.MSFlexGrid1;
        QCOMPARE(g->rowCount(), 13);
        QCOMPARE(g->columnCount(), 13);
        const QStringList captions = {u"Code"_s,      u"      銘    柄"_s, u" 現 在 値"_s, u" 前 日 差"_s,
                                      u" 前日終値"_s, u"  出 来 高"_s,     u"   始 値 "_s, u"   高 値 "_s,
                                      u"   安 値 "_s, u"買値目標"_s,       u"売値目標"_s, u"  時 間 "_s};
        QVERIFY(g->cellText(0, 0).isEmpty());
        for (int c = 1; c <= 12; ++c)
            QCOMPARE(g->cellText(0, c), captions[c - 1]);
        const QColor grey(0xE0, 0xE0, 0xE0);
        for (int r = 0; r <= 12; ++r)
            for (int c = 1; c <= 12; ++c)
                QCOMPARE(g->cellBackground(r, c) == grey, r % 2 == 0);
        QCOMPARE(g->colWidthTwips(0), 400);
        QCOMPARE(g->colWidthTwips(1), 800);
        QCOMPARE(g->colWidthTwips(2), 2000);
        QCOMPARE(g->colWidthTwips(6), 1100);
        QCOMPARE(g->columnWidth(2), 133); // 2000 twips at 96 DPI
        for (int r = 1; r <= 12; ++r) {
            QVERIFY(g->cellText(r, grid::Code).isEmpty());
            QCOMPARE(Qt::Alignment(g->item(r, grid::Name)->textAlignment()), Qt::Alignment(Qt::AlignCenter));
        }
    }

    void controlsStandAtTheirTwipsPositions_data()
    {
        QTest::addColumn<qreal>("dpi");
        QTest::newRow("96 DPI") << 96.0;
        QTest::newRow("144 DPI") << 144.0;
    }
    void controlsStandAtTheirTwipsPositions()
    {
        QFETCH(qreal, dpi);
        FakeServices fakes;
        fakes.screen.dpi = dpi;
        Form1 form(fakes.services());
        const qreal k = dpi / 1440.0;
        QCOMPARE(form.Text1->geometry(), QRect(qRound(4440 * k), qRound(289 * k), qRound(855 * k), qRound(343 * k)));
        QCOMPARE(form.MSFlexGrid1->geometry(),
                 QRect(qRound(840 * k), qRound(840 * k), qRound(12480 * k), qRound(3030 * k)));
        QCOMPARE(form.Image2->geometry(),
                 QRect(qRound(13680 * k), qRound(840 * k), qRound(3855 * k), qRound(3015 * k)));
        QCOMPARE(form.Label4->pos(), QPoint(qRound(13680 * k), qRound(480 * k)));
    }

    void menuBarHoldsTheCommandsInOrder()
    {
        FakeServices fakes;
        Form1 form(fakes.services());
        const QList<QAction*> top = form.menuBar()->actions();
        QStringList captions;
        QStringList names;
        for (QAction* a : top) {
            captions << a->text();
            names << (a->menu() ? a->menu()->objectName() : a->objectName());
        }
        QCOMPARE(captions, (QStringList{u"ファイル"_s, u"開く"_s, u"保存"_s, u"終了"_s, u"リアルタイム表示"_s,
                                        u"リアルタイム停止"_s, u"日経６ヶ月チャート +ＲＳＩ +W%R"_s,
                                        u"ＮＹ日経比較チャート"_s, u"NYダウ"_s, u"騰落レシオ"_s, u"ドル-円為替"_s,
                                        u"キャプチャー"_s, u"ヘルプ"_s}));
        QCOMPARE(names, (QStringList{u"menu"_s, u"menu11"_s, u"menu2"_s, u"end1"_s, u"menu3"_s, u"menu4"_s,
                                     u"menu5"_s, u"munu6"_s, u"nyd"_s, u"menu7"_s, u"en"_s, u"HDCOPY"_s, u"menu8"_s}));
        const QList<QAction*> file = form.menu->actions();
        QCOMPARE(file.size(), 1);
        QCOMPARE(file.first()->objectName(), u"menu1"_s);
        QCOMPARE(file.first()->text(), u"設定"_s);
    }

    void screenHeightDecidesScreenPixelsY_data()
    {
        QTest::addColumn<int>("height");
        QTest::newRow("small screen") << 800;
        QTest::newRow("large screen") << 801;
        QTest::newRow("full HD") << 1080;
    }
    void screenHeightDecidesScreenPixelsY()
    {
        QFETCH(int, height);
        FakeServices fakes;
        fakes.screen.size = QSize(1280, height);
        Form1 form(fakes.services());
        QCOMPARE(int(form.screenPixelsY), height);
    }

    void secondInstanceIsRefused()
    {
        FakeDialogs dialogs;
        FakeSingleInstance instance;
        QVERIFY(Form1::claimSingleInstance(instance, dialogs));
        QVERIFY(dialogs.shown.isEmpty());
        instance.free = false;
        QVERIFY(!Form1::claimSingleInstance(instance, dialogs));
        QCOMPARE(dialogs.shown.size(), 1);
        QCOMPARE(dialogs.shown[0].text, u"すでに「Tickora」は起動されています。"_s);
        QCOMPARE(dialogs.shown[0].title, u"Tickora"_s);
        QCOMPARE(dialogs.shown[0].icon, Dialogs::Icon::Warning);
    }

    void lockFileAdmitsOneHolderAtATime()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"tickora.lock"_s);
        auto first = std::make_unique<LockFileInstance>(path);
        QVERIFY(first->claim());
        QVERIFY(first->claim()); // claiming again in the same instance keeps the lock
        LockFileInstance second(path);
        QVERIFY(!second.claim());
        first.reset();
        QVERIFY(second.claim());
        // A lock that cannot be made at all does not keep the program from starting.
        QVERIFY(LockFileInstance(dir.filePath(u"missing/tickora.lock"_s)).claim());
    }

    // The lock never lies in a folder others can write to (the shared temp folder), where anyone
    // could plant one: it is in the user's runtime folder, else in the data folder.
    void lockLivesInTheUsersOwnFolder()
    {
        QTemporaryDir dir;
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
        QFile planted(dir.filePath(u"tmp/runtime-"_s) + QFileInfo(dir.path()).owner());
        QVERIFY(planted.open(QIODevice::WriteOnly));
        planted.close();
        const QString path = LockFileInstance::defaultLockPath(data);
        QCOMPARE(path, data + u"/tickora.lock"_s);
        QVERIFY(LockFileInstance(path).claim());
    }

    void helpStopsTheCycleAndOpensTheDocument()
    {
        FakeServices fakes;
        Form1 form(fakes.services());
        form.Timer1->start();
        form.Label3->setText(u" リアルタイム株価表示中"_s);
        form.menu8->trigger();
        QVERIFY(!form.Timer1->isActive());
        QCOMPARE(form.Label3->palette().color(QPalette::Window), QColor(Qt::black));
        QCOMPARE(form.Label3->text(), u" リアルタイム株価表示中"_s);
        QCOMPARE(fakes.help.opened, QStringList{form.helpPath});
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
