// Desktop notifications through the session bus, to a notification service the test runs on
// its own connection; the test runs under a private bus (dbus-run-session).
#include "platform/notifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

const QString ServiceName = u"org.freedesktop.Notifications"_s;
const QString ServicePath = u"/org/freedesktop/Notifications"_s;

/// The notification server's Notify method, recording what it is given.
class FakeNotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call
    {
        QString appName;
        uint replacesId = 0;
        QString icon;
        QString summary;
        QString body;
        QStringList actions;
        int expireTimeout = 0;
    };
    QList<Call> calls;

public Q_SLOTS:
    uint Notify(const QString& appName, uint replacesId, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int expireTimeout)
    {
        Q_UNUSED(hints);
        calls.append({appName, replacesId, icon, summary, body, actions, expireTimeout});
        return uint(calls.size());
    }
};

/// Owns the service's name on a connection of its own, so calls to it go through the bus.
struct RegisteredService
{
    RegisteredService() : bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"service"_s))
    {
        registered = bus.registerObject(ServicePath, &service, QDBusConnection::ExportAllSlots) &&
                     bus.registerService(ServiceName);
    }
    ~RegisteredService()
    {
        bus.unregisterService(ServiceName);
        bus.unregisterObject(ServicePath);
        QDBusConnection::disconnectFromBus(u"service"_s);
    }
    FakeNotificationService service;
    QDBusConnection bus;
    bool registered = false;
};

} // namespace

class TestNotifier : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(),
                 "needs a session bus: run under dbus-run-session");
    }

    void notificationReachesTheService_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("sentBody");
        QTest::newRow("plain") << u"売値目標到達"_s << u"7203 トヨタ自動車(株) 現在値 2,648.5 目標 2,700"_s
                               << u"7203 トヨタ自動車(株) 現在値 2,648.5 目標 2,700"_s;
        QTest::newRow("markup in the body") << u"買値目標到達"_s << u"1 <b>A&amp;B</b> > \"x\" 'y'"_s
                                            << u"1 &lt;b&gt;A&amp;amp;B&lt;/b&gt; &gt; \"x\" 'y'"_s;
        QTest::newRow("summary is plain text") << u"<i>&</i>"_s << QString() << QString();
    }
    void notificationReachesTheService()
    {
        QFETCH(QString, title);
        QFETCH(QString, body);
        QFETCH(QString, sentBody);
        RegisteredService server;
        QVERIFY(server.registered);
        DBusNotifier notifier;
        notifier.notify(title, body);
        // The call is on its way and the notifier has not waited for it.
        QCOMPARE(notifier.unanswered(), 1);
        QVERIFY(server.service.calls.isEmpty());
        QTRY_COMPARE(server.service.calls.size(), 1);
        const FakeNotificationService::Call& c = server.service.calls.constFirst();
        QCOMPARE(QStringList({c.appName, c.icon, c.summary, c.body}),
                 QStringList({u"Tickora"_s, u"tickora"_s, title, sentBody}));
        QCOMPARE(QList<int>({int(c.replacesId), int(c.actions.size()), c.expireTimeout}),
                 QList<int>({0, 0, -1}));
        QTRY_COMPARE(notifier.unanswered(), 0);
    }

    // No one owns the service's name: the error answers come back later and are dropped. No bus
    // at all: nothing is sent. A notifier gone with calls on their way is no fault.
    void failuresStaySilent()
    {
        QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(ServiceName));
        DBusNotifier notifier;
        notifier.notify(u"売値目標到達"_s, u"7203"_s);
        notifier.notify(u"買値目標到達"_s, u"7203"_s);
        QCOMPARE(notifier.unanswered(), 2);
        QTRY_COMPARE(notifier.unanswered(), 0);

        DBusNotifier noBus(QDBusConnection::connectToBus(u"unix:path=/nonexistent/bus"_s, u"nobus"_s));
        noBus.notify(u"売値目標到達"_s, u"7203"_s);
        QCOMPARE(noBus.unanswered(), 0);
        QDBusConnection::disconnectFromBus(u"nobus"_s);

        RegisteredService server;
        QVERIFY(server.registered);
        {
            DBusNotifier gone;
            gone.notify(u"売値目標到達"_s, u"7203"_s);
        }
        // Answers come back in order: once the later call's is in, the earlier one's has been
        // read for a notifier that is no more.
        DBusNotifier later;
        later.notify(u"買値目標到達"_s, u"6758"_s);
        QTRY_COMPARE(later.unanswered(), 0);
        QCOMPARE(server.service.calls.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestNotifier)
#include "tst_notifier.moc"
