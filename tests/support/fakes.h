#pragma once

// Fakes of the platform services for tests: no network, no real clock, no modal dialog.

#include "exchange/tradingcalendar.h"
#include "platform/services.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QPointer>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

namespace tickora::test {

/// Answers requests from a handler or from served bodies on the next event-loop turn, or, while holding,
/// keeps them until the test answers them: all in order (releaseAll) or one by one in any order (answer).
/// Records every request.
class FakeHttpClient : public HttpClient
{
public:
    using Handler = std::function<HttpResponse(const HttpRequest&)>;
    struct Pending
    {
        HttpRequest request;
        QPointer<QObject> context;
        bool hasContext = false;
        Done done;
        bool answered = false;
    };

    void get(const HttpRequest& request, QObject* context, Done done) override;

    void setHandler(Handler handler) { m_handler = std::move(handler); }
    /// Serves `body` for every request whose path and query contain `needle`; others get 404.
    void serve(const QString& needle, const QByteArray& body, int status = 200,
               const QByteArray& contentType = "text/html; charset=utf-8");
    void setHolding(bool hold) { m_holding = hold; }
    /// Answers every held request now, in the order they came, from the handler or served bodies.
    void releaseAll();
    /// Answers the first held request whose address contains `needle`; false when there is none.
    bool answer(const QString& needle, const HttpResponse& response);
    int unanswered() const;

    QList<HttpRequest> requests;
    std::vector<Pending> pending; // the held requests, answered ones included

private:
    HttpResponse responseFor(const HttpRequest& request) const;
    void deliver(const Pending& p, const HttpResponse& response);

    QObject m_guard; // answers due after the fake is gone are dropped
    Handler m_handler;
    QHash<QString, HttpResponse> m_served;
    QStringList m_servedOrder;
    bool m_holding = false;
};

/// A client that holds every request until the test answers it.
class ManualHttpClient : public FakeHttpClient
{
public:
    ManualHttpClient() { setHolding(true); }
};

/// A 200 answer carrying `body`, a PNG picture unless told otherwise.
inline HttpResponse okResponse(const QByteArray& body, const QByteArray& contentType = "image/png")
{
    return {200, body, contentType, {}, {}};
}

class FakeSound : public SoundPlayer
{
public:
    void play(const QString& wavPath) override { played.append(wavPath); }
    void beep() override { ++beeps; }
    QStringList played;
    int beeps = 0;
};

class FakeNotifier : public Notifier
{
public:
    struct Shown
    {
        QString title;
        QString body;
        bool operator==(const Shown&) const = default;
    };
    void notify(const QString& title, const QString& body) override { shown.append({title, body}); }
    QList<Shown> shown;
};

class FakeScreen : public Screen
{
public:
    QSize sizePixels() const override { return size; }
    qreal logicalDpiX() const override { return dpi; }
    qreal logicalDpiY() const override { return dpi; }
    QImage grabDesktop() override { return ++grabs, desktop; }
    QSize size{1920, 1080};
    qreal dpi = 96.0;
    QImage desktop;
    int grabs = 0;
};

class FakePrinter : public Printer
{
public:
    Result printImage(const QImage& image) override { return printed.append(image), result; }
    Result result{true, {}};
    QList<QImage> printed;
};

class FakeHelpViewer : public HelpViewer
{
public:
    bool open(const QString& path) override { return opened.append(path), true; }
    QStringList opened;
};

/// Records every box; questions take their answers from `answers` (Yes when it runs out).
/// `whileOpen` runs while a box is "open", to model events arriving during a modal box.
class FakeDialogs : public Dialogs
{
public:
    struct Shown
    {
        QString title;
        QString text;
        Icon icon;
        bool isQuestion;
    };
    void message(QWidget* parent, const QString& title, const QString& text, Icon icon) override;
    bool question(QWidget* parent, const QString& title, const QString& text) override;

    QList<Shown> shown;
    QList<bool> answers;
    std::function<void()> whileOpen = [] {};
};

/// The computer's clock: its local date and time in its zone (Japan unless a test moves it).
class FakeClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime(date, time, zone); }
    QDate date{2013, 3, 5};
    QTime time{10, 0, 0};
    QTimeZone zone = japanZone();
};

class FakeSingleInstance : public SingleInstance
{
public:
    bool claim() override { return free; }
    bool free = true;
};

/// Every fake with a temporary data folder, ready to hand to a MainWindow.
struct FakeServices
{
    FakeServices();
    Services services() const;

    QTemporaryDir dataDir;
    Config config;
    FakeHttpClient http;
    HttpDownloader downloader{http};
    FakeSound sound;
    FakeNotifier notifier;
    QtPictures pictures;
    FakeScreen screen;
    FakePrinter printer;
    FakeHelpViewer help;
    FakeDialogs dialogs;
    FakeClock clock;
    FakeSingleInstance instance;
};

} // namespace tickora::test
