// The main window as it stands right after start-up, the single-instance rule and help.
#include "charts/picturebox.h"
#include "mainwindow/entrybox.h"
#include "mainwindow/form1.h"
#include "mainwindow/quotegrid.h"
#include "platform/singleinstance.h"
#include "support/fakes.h"
#include "windowprobe.h"

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
        timerOf(form)->start();
        labelOf(form, u"Label3"_s)->setText(u" リアルタイム株価表示中"_s);
        actionOf(form, u"menu8"_s)->trigger();
        QVERIFY(!timerOf(form)->isActive());
        QCOMPARE(labelOf(form, u"Label3"_s)->palette().color(QPalette::Window), QColor(Qt::black));
        QCOMPARE(labelOf(form, u"Label3"_s)->text(), u" リアルタイム株価表示中"_s);
        QCOMPARE(fakes.help.opened, QStringList{fakes.config.dataFile(u"Auot.html"_s)});
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
