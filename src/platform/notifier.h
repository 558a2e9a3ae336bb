#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <optional>

namespace tickora {

/// Shows a short desktop notification and returns at once; a desktop without a notification
/// service stays silent. Title and body are plain text.
class Notifier
{
public:
    virtual ~Notifier() = default;
    virtual void notify(const QString& title, const QString& body) = 0;
};

/// Escapes the characters a notification body may read as markup (&, <, >).
QString notificationBodyText(const QString& plain);

/// Sends notifications to the freedesktop notification service (org.freedesktop.Notifications)
/// on the session bus, as application "Tickora" with the icon "tickora". The call is
/// asynchronous: its answer, or an error when there is no bus or no service, is read later by
/// the event loop and dropped.
class DBusNotifier : public Notifier
{
public:
    /// Uses the session bus, connected on the first notification.
    DBusNotifier() = default;
    /// Uses `bus` instead of the session bus.
    explicit DBusNotifier(const QDBusConnection& bus) : m_bus(bus) {}

    void notify(const QString& title, const QString& body) override;

    /// Notifications sent whose answer has not come back yet.
    int unanswered() const { return m_unanswered; }

private:
    std::optional<QDBusConnection> m_bus;
    QObject m_calls; ///< parent of the calls on their way; they are dropped with the notifier
    int m_unanswered = 0;
};

} // namespace tickora
