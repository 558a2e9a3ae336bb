#include "checkquotes.h"

#include "exchange/tradingcalendar.h"
#include "platform/backoff.h"
#include "quotes/pageverdict.h"
#include "quotes/quotefetch.h"
#include "quotes/secondsource.h"

#include <QEventLoop>

#include <optional>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

/// Fetches a page, waiting for it in an event loop of its own.
PageFetch fetchAndWait(HttpClient& http, const QUrl& url)
{
    std::optional<PageFetch> got;
    QEventLoop loop;
    fetchPage(http, url, &loop, [&](const PageFetch& f) {
        got = f;
        loop.quit();
    });
    if (!got)
        loop.exec();
    return *got;
}

/// Checks one page: fetched unless the service is held, then read as the program reads it.
PageCheck checkPage(HttpClient& http, ServiceBackoff& backoff, const Clock& clock, QuotePages pages,
                    const QString& label, const QUrl& url, bool index)
{
    PageCheck c{label, url, index};
    const QDateTime now = clock.now();
    if (backoff.holds(url, now)) {
        c.held = true;
        return c;
    }
    const PageFetch fetch = fetchAndWait(http, url);
    c.status = fetch.status;
    c.error = fetch.error;
    if (isOverloadStatus(fetch.status))
        backoff.noteAnswer(url, fetch.status, fetch.retryAfter, now);
    if (!fetch.ok)
        return c;
    const QDate today = japanTime(now).date();
    PageVerdict verdict;
    if (index) {
        const JudgedIndex judged = judgeIndexPage(fetch.text, pages, today);
        verdict = judged.verdict;
        c.indexReading = judged.reading;
        c.form = judged.reading.form;
        if (verdict == PageVerdict::OtherCode)
            c.otherCode = judged.reading.boardCode;
    } else {
        const JudgedQuote judged = judgeQuotePage(fetch.text, label, pages, today);
        verdict = judged.verdict;
        c.form = judged.reading.form;
        c.fields = judged.reading.fields;
        if (verdict == PageVerdict::OtherCode)
            c.otherCode = judged.reading.fields.boardCode;
    }
    c.read = verdict == PageVerdict::Read;
    c.noSuchCode = verdict == PageVerdict::NoSuchCode;
    c.secondSource = verdict == PageVerdict::Unread;
    return c;
}

} // namespace

QString describePageCheck(const PageCheck& c)
{
    QString s = c.label + u"  "_s + c.url.toString() + u'\n';
    if (c.held)
        return s + u"  取得制限中のため読みませんでした\n"_s;
    if (c.status == 0)
        return s + u"  取得できません: "_s + c.error + u'\n';
    s += u"  状態 %1  形式 %2\n"_s.arg(c.status).arg(pageFormName(c.form));
    if (c.status < 200 || c.status >= 300)
        return s + u"  ページではありません\n"_s;
    if (c.read && c.index) {
        s += u"  "_s + c.indexReading.line + u'\n';
    } else if (c.read) {
        const QuoteFields& q = c.fields;
        s +=
            u"  銘柄名 %1\n  現在値 %2  前日比 %3  前日終値 %4  始値 %5  高値 %6  安値 %7  出来高 %8  時刻 %9\n"_s
                .arg(q.name, q.price, q.change, q.prevClose, q.open, q.high, q.low, q.volume, q.time);
    } else if (!c.otherCode.isEmpty()) {
        s += u"  "_s + otherCodeText(c.index ? u"998407.O"_s : c.label, c.otherCode) + u'\n';
    } else if (c.noSuchCode) {
        s += u"  該当する銘柄はありません（コードが見つかりません）\n"_s;
    } else {
        s += u"  値を読めません\n"_s;
    }
    return s + (c.secondSource ? u"  系列データ: 使います（ページの形式が変わった可能性があります）\n"_s
                               : u"  系列データ: 使いません\n"_s);
}

int runQuoteCheck(HttpClient& http, const Config& config, const QStringList& codes,
                  const std::function<void(const QString&)>& report, const Clock* clock)
{
    const SystemClock systemClock;
    ServiceBackoff backoff;
    bool allRead = true;
    auto check = [&](const QString& label, const QUrl& url, bool index) {
        const PageCheck c =
            checkPage(http, backoff, clock ? *clock : systemClock, config.quotePages, label, url, index);
        allRead = allRead && c.read;
        report(describePageCheck(c));
    };
    for (const QString& code : codes)
        check(code, quotePageUrl(config.quoteBase, config.quotePages, code), false);
    check(u"日経平均"_s, nikkeiPageUrl(config), true);
    return allRead ? 0 : 1;
}

} // namespace tickora
