#pragma once

#include "exchange/numbertext.h"
#include "platform/backoff.h"
#include "platform/config.h"
#include "platform/httpclient.h"
#include "quotes/datafields.h"
#include "quotes/pageverdict.h"
#include "quotes/quotefetch.h"
#include "quotes/quotepage.h"
#include "quotes/quotesheet.h"
#include "quotes/secondsource.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tickora {

/// Rows a refresh pass covers: the rows before the first row whose code cell is empty, or all
/// twelve when row 12 holds a code (whatever lies between). A code of blanks counts as filled.
int watchRowCount(const QuoteSheet& sheet);

/// Empties the columns a pass writes from a page, 2 (name) to 9 (low).
void emptyQuoteColumns(QuoteSheet& sheet, int row);

/// The targets a price reaches. Price and target must both be numeric texts and are compared as
/// numbers, equality included; a non-numeric or empty price or target reaches nothing.
struct PriceAlerts
{
    bool sell = false; ///< price ≥ sell target
    bool buy = false;  ///< price ≤ buy target
};
PriceAlerts priceAlerts(const QString& price, const QString& buyTarget, const QString& sellTarget);

/// Writes one parsed page into `row`. For a detail page: name, price, change (coloured red when
/// it holds "+", green when it holds "-", else its colour is kept), open, high, low, volume,
/// previous close and time; the target cells are reset to the default colour and coloured
/// (sell red, buy green) when reached. For any other page, columns 2 to 9 are left empty and
/// nothing else changes. Code and targets are never written; every field is written as
/// cellTextFromPage gives it. Returns the alerts given.
PriceAlerts writeQuoteRow(QuoteSheet& sheet, int row, const QuoteFields& quote);

enum class Target
{
    Buy,
    Sell
};

/// A row's price has just reached one of its targets, as the row's cells show them.
struct TargetReached
{
    int row = 0;
    Target kind = Target::Sell;
    QString code;
    QString name;
    QString price;
    QString target;
};

/// The desktop notification of a reached target, in plain text: title "売値目標到達" or
/// "買値目標到達"; body the code, the name, "現在値" and the price, "目標" and the target,
/// separated by blanks (an empty name is left out).
struct TargetNotice
{
    QString title;
    QString body;
};
TargetNotice targetNotice(const TargetReached& reached);

/// Remembers, per row and per target, whether the last price read for the row reached the
/// target, so that a target is told once each time the price comes to it rather than on every
/// pass while it stays there. A reading is tied to the row's code and target text: when either
/// has changed since (a numeric target by its value), the row's earlier reading no longer counts.
class AlertLatch
{
public:
    /// Records a price read for `row`: true when it reaches the target and the last reading for
    /// this code and target did not (or there was none).
    bool reached(int row, Target kind, const QString& code, const QString& target, bool reachedNow);
    /// Forgets the readings of the rows after `lastRow`.
    void forgetRowsAfter(int lastRow);

private:
    struct Reading
    {
        QString code;
        QString target;
        bool reached = false;
    };
    QHash<int, Reading> m_readings; ///< by row * 2 + kind
};

/// What a refresh pass needs from the window it runs in.
class RefreshPassHost
{
public:
    enum class Chime
    {
        Sell,
        Buy
    };
    virtual ~RefreshPassHost() = default;
    virtual QuoteSheet& sheet() = 0;
    /// A pass starts; it covers rows 1..rowCount.
    virtual void passStarted(int rowCount) = 0;
    virtual void storeShortName(int row, const QString& shortName) = 0;
    virtual bool muted() const = 0;
    /// Starts a chime and returns at once.
    virtual void playChime(Chime chime) = 0;
    /// A price has come to a target that it did not reach at the row's last reading; told
    /// whether or not the chimes are muted. Returns at once.
    virtual void targetReached(const TargetReached& reached) = 0;
    /// Row `row` has been handled (the last row reached so far).
    virtual void rowDone(int row) = 0;
    /// The page of `row` could not be fetched. May run a modal box; the pass has ended its
    /// work on the grid by then.
    virtual void fetchFailed(int row) = 0;
    /// The time now, for the quote service's hold.
    virtual QDateTime now() const { return QDateTime::currentDateTime(); }
    /// The quote service asked not to be asked again before `until`; called once per hold.
    virtual void serviceHeld(const QDateTime& until) { Q_UNUSED(until); }
    /// A page came from a simulated market: its prices are not the market's.
    virtual void simulatedMarket() {}
    /// The name the code list gives `code`; empty when it gives none.
    virtual QString listedName(const QString& code) = 0;
    /// The page of `code` was read: its quote was found.
    virtual void pageRead(const QString& code) = 0;
    /// The page of `code` answered but no reader found its quote (its form is not known); the row
    /// was filled from the series instead (`fromSeries`), or keeps what it shows.
    virtual void pageUnread(const QString& code, bool fromSeries) = 0;
    /// The page answered for `code` shows the quote of another security, `boardCode`: nothing was
    /// taken from it and the row keeps what it shows.
    virtual void pageOfOtherCode(const QString& code, const QString& boardCode)
    {
        Q_UNUSED(code);
        Q_UNUSED(boardCode);
    }
    /// The series service answered `status`; `holdStarted`: the answer started a hold on it.
    virtual void seriesAnswered(int status, bool holdStarted) = 0;
    /// A page answered; `simulated` is the moment a simulated market says it stands at, invalid
    /// when the answer gives none.
    virtual void marketMoment(const QDateTime& simulated) { Q_UNUSED(simulated); }
};

/// Where a pass asks for its pages, and the hold it keeps when the service is overloaded.
struct QuoteSource
{
    QUrl base;
    QuotePages pages = QuotePages::Today;
    ServiceBackoff* backoff = nullptr; ///< shared with the other requests to the service; may be null
    QUrl seriesBase; ///< the series service, the second source of a page that cannot be read
};

/// The quote refresh pass. All rows' pages are requested at once; their results are applied
/// strictly in row order, each row emptied and written only when its turn comes. The first
/// failed fetch empties that row's columns 2 to 9, leaves later rows as they were, is reported
/// once, and ends the pass. A row whose code changed while its page was on the way is left as
/// it stands. A target reached is told to the host once per crossing (see AlertLatch); a row
/// that yields no price (failed, held, not a detail page, no numeric price, code changed in
/// flight) keeps its last reading.
/// Passes never overlap: a request made while one runs is served by one more pass
/// right after it (any number of such requests share that pass).
/// A 429 or 503 answer is no page: the service is held as its Retry-After says, the pass ends
/// at that row and the row and those after it keep what they show. While the service is held a
/// pass sends nothing and changes nothing.
/// Pages are judged by judgeQuotePage. A page that answers but whose quote no reader finds (and
/// that is no "no such code" page) is filled from the one-day series of the code instead, alerts
/// and all; when the series cannot help either the row keeps what it shows and the pass goes on.
/// A page whose board names another code is told to the host and changes nothing in its row.
/// A series answer that comes after its pass has ended is dropped.
class RefreshPass : public QObject
{
    Q_OBJECT
public:
    using Done = std::function<void()>;

    RefreshPass(HttpClient& http, QuoteSource source, std::unique_ptr<RefreshPassHost> host,
                QObject* parent = nullptr);
    ~RefreshPass() override;

    /// Runs a pass, or arranges the follow-up pass when one is running. `done` runs exactly once,
    /// when the pass that serves this request has ended (at once when it covers no rows), unless
    /// this object is destroyed first.
    void request(Done done);
    bool isRunning() const { return m_running; }

private:
    struct RowResult
    {
        enum class Kind
        {
            Page,
            Failed,
            Held,      ///< the service is overloaded: the row keeps what it shows
            Unread,    ///< neither the page nor the series gave a quote: the row keeps what it shows
            OtherCode, ///< the page shows another security (quote.boardCode): the row keeps what it shows
        };
        Kind kind = Kind::Failed;
        QuoteFields quote;
        bool fromSeries = false; ///< the quote comes from the series, not from the page
    };

    void start();
    void fetched(quint64 pass, int row, const PageFetch& fetch);
    /// Asks the series for the quote of a row whose page could not be read.
    void fetchSecondSource(quint64 pass, int row);
    void applyReady();
    void applyRow(int row, const RowResult& result);
    void fail(int row);
    void finish();

    HttpClient& m_http;
    QuoteSource m_source;
    std::unique_ptr<RefreshPassHost> m_host;

    bool m_running = false;
    bool m_applying = false;
    bool m_followUp = false;
    quint64 m_pass = 0;
    int m_rowCount = 0;
    int m_nextRow = 1;
    QStringList m_codes;                             ///< code of each row as it was requested, by row
    std::vector<std::optional<RowResult>> m_results; ///< by row; index 0 unused
    QList<Done> m_doneNow;                           ///< callers waiting for the running pass
    QList<Done> m_doneNext;                          ///< callers waiting for the follow-up pass
    AlertLatch m_latch;
};

} // namespace tickora
