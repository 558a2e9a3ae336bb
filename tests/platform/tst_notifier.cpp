// Desktop notifications to a service of the test's own, under a private bus (dbus-run-session).
#include "platform/notifier.h"

#include <QDBusConnection>
#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

const QString ServiceName = u"org.freedesktop.Notifications"_s;
const QString ServicePath = u"/org/freedesktop/Notifications"_s;

/// The notification server's Notify method, recording each call as its arguments but the hints.
class FakeNotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QList<QStringList> calls;

public Q_SLOTS:
    uint Notify(const QString& appName, uint replacesId, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap&, int expireTimeout)
    {
        calls.append({appName, QString::number(replacesId), icon, summary, body, actions.join(u','),
                      QString::number(expireTimeout)});
        return uint(calls.size());
    }
};

/// Owns the service's name on a connection of its own, so calls to it go through the bus.
struct RegisteredService
{
    FakeNotificationService service;
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"service"_s);
    bool registered = bus.registerObject(ServicePath, &service, QDBusConnection::ExportAllSlots) &&
                      bus.registerService(ServiceName);
};

} // namespace

class TestNotifier : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The summary as given, the body's markup as text, unawaited; no bus or a gone notifier fails nothing.
    void notifications()
    {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "needs a session bus: run dbus-run-session");
        DBusNotifier notifier;
        DBusNotifier noBus(QDBusConnection::connectToBus(u"unix:path=/nonexistent/bus"_s, u"nobus"_s));
        noBus.notify(u"売値目標到達"_s, u"7203"_s);
        QCOMPARE(noBus.unanswered(), 0);
        QDBusConnection::disconnectFromBus(u"nobus"_s);

        RegisteredService server;
        QVERIFY(server.registered);
        DBusNotifier().notify(u"売値目標到達"_s, u"7203"_s); // gone at once
        notifier.notify(u"<i>&</i>"_s, u"7203 <b>A&amp;B</b> > \"x\" 'y'"_s);
        QCOMPARE(std::pair(notifier.unanswered(), int(server.service.calls.size())), std::pair(1, 0));
        // Answers come in order: this one in means the gone notifier's was read.
        QTRY_COMPARE(notifier.unanswered(), 0);
        QCOMPARE(server.service.calls.size(), 2);
        QCOMPARE(server.service.calls.constLast(),
                 QStringList({u"Tickora"_s, u"0"_s, u"tickora"_s, u"<i>&</i>"_s,
                              u"7203 &lt;b&gt;A&amp;amp;B&lt;/b&gt; &gt; \"x\" 'y'"_s, QString(), u"-1"_s}));
    }
};

QTEST_GUILESS_MAIN(TestNotifier)
#include "tst_notifier.moc"
