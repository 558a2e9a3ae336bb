#include "notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QStringList>
#include <QVariantMap>

namespace tickora {

using namespace Qt::StringLiterals;

QString notificationBodyText(const QString& plain)
{
    QString text;
    text.reserve(plain.size());
    for (const QChar c : plain) {
        if (c == u'&')
            text += u"&amp;"_s;
        else if (c == u'<')
            text += u"&lt;"_s;
        else if (c == u'>')
            text += u"&gt;"_s;
        else
            text += c;
    }
    return text;
}

void DBusNotifier::notify(const QString& title, const QString& body)
{
    if (!m_bus)
        m_bus = QDBusConnection::sessionBus();
    if (!m_bus->isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(u"org.freedesktop.Notifications"_s,
                                                       u"/org/freedesktop/Notifications"_s,
                                                       u"org.freedesktop.Notifications"_s, u"Notify"_s);
    // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout (-1: the
    // server's default). The summary is plain text by definition; only the body is markup.
    call << u"Tickora"_s << 0u << u"tickora"_s << title << notificationBodyText(body) << QStringList()
         << QVariantMap() << -1;
    auto* watcher = new QDBusPendingCallWatcher(m_bus->asyncCall(call), &m_calls);
    ++m_unanswered;
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &m_calls,
                     [this](QDBusPendingCallWatcher* w) {
                         --m_unanswered;
                         w->deleteLater();
                     });
}

} // namespace tickora
