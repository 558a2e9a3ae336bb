// parseQuotePage over pages of growing size: the time per page must grow with the page, not
// with its square. The today section sets the reader of the current site's pages beside the
// 2012 cut on pages of the same sizes; the stream section the reader of streamed pages.
#include "quotes/quotepage.h"
#include "quotes/statepage.h"
#include "quotes/streamedpage.h"
#include "sections.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <cstdio>

namespace tickora::bench {

namespace {

using namespace Qt::StringLiterals;

QString loadPage(const char* path)
{
    QFile f(QString::fromUtf8(path));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

/// A news or ranking block as the service's pages repeat them: divs, lists, links, bold
/// numbers and Japanese text, so that every cut has real work to skip.
QString fillerBlock(int i)
{
    return u"<div class=\"ymuiContainer\"><div class=\"rankingTabList\"><ul class=\"newsList\">"
           "<li><a href=\"/news/detail/?a=20130305-%1\">東証大引け、日経平均は続伸 輸出株に買い "
           "出来高は%1株</a>"
           "<span class=\"date\">3月5日 15時%2分</span></li>"
           "<li><dl><dt>年初来高値更新</dt><dd><strong>%1</strong>銘柄</dd></dl></li>"
           "</ul></div><p class=\"yjSt\">前日比の大きい銘柄を表示しています。</p></div>\n"_s.arg(i)
               .arg(i % 60);
}

/// The detail page grown to about `bytes` UTF-8 bytes, half of the growth before the quote
/// and half after it.
QString pageOfSize(const QString& detail, qsizetype bytes)
{
    const qsizetype cut = detail.indexOf(u"<div id=\"main\">"_s);
    QString before, after;
    qsizetype size = detail.toUtf8().size();
    for (int i = 0; size < bytes; ++i) {
        const QString block = fillerBlock(i);
        size += block.toUtf8().size();
        (i % 2 ? after : before) += block;
    }
    return detail.left(cut) + before + detail.mid(cut) + after;
}

struct Figure
{
    double secondsPerPage;
    double megabytesPerSecond;
};

Figure measure(const QString& page, double minSeconds, QuoteFields (*parse)(const QString&) = parseQuotePage)
{
    const double megabytes = double(page.toUtf8().size()) / 1e6;
    int runs = 0;
    QuoteFields sink;
    const double start = nowSeconds();
    double elapsed = 0;
    do {
        sink = parse(page);
        ++runs;
        elapsed = nowSeconds() - start;
    } while (elapsed < minSeconds || runs < 3);
    if (sink.price.isEmpty())
        std::fprintf(stderr, "  warning: the page gave no price\n");
    const double perPage = elapsed / runs;
    return {perPage, megabytes / perPage};
}

/// One daily bar of the chart series a page of the current site carries in its state.
QString historyEntry(int i)
{
    return uR"({"baseDatetime":"2025-%1-%2T00:00:00+09:00","openPrice":%3.5,"highPrice":%4,"lowPrice":%5,)"
           uR"("closePrice":%6.5,"volume":%7,"note":"日足 %8"},)"_s.arg(1 + i % 12)
               .arg(1 + i % 28)
               .arg(2600 + i % 97)
               .arg(2700 + i % 89)
               .arg(2500 + i % 83)
               .arg(2650 + i % 71)
               .arg(27'000'000 + i)
               .arg(i);
}

/// The page of the current site grown to about `bytes` UTF-8 bytes: half of the growth as
/// markup before the state's script element, half as chart bars inside the state.
QString todayPageOfSize(const QString& page, qsizetype bytes)
{
    const qsizetype script = page.indexOf(u"<script>\n    // WARNING"_s);
    const qsizetype stateEnd = page.indexOf(u"}</script>"_s, script);
    if (script < 0 || stateEnd < 0)
        return {};
    QString markup, bars;
    qsizetype size = page.toUtf8().size();
    for (int i = 0; size < bytes; ++i) {
        const QString piece = i % 2 ? historyEntry(i) : fillerBlock(i);
        size += piece.toUtf8().size();
        (i % 2 ? bars : markup) += piece;
    }
    bars.chop(1); // the last bar's comma
    const QString series =
        u",\"mainItemDetailChartSetting\":{\"timeSeriesData\":{\"histories\":["_s + bars + u"]}}"_s;
    return page.left(script) + markup + page.mid(script, stateEnd - script) + series + page.mid(stateEnd);
}

/// A push of `text` as the site writes it: a JSON string literal, "&", "<" and ">" escaped.
QString pushElement(const QString& text)
{
    const QString array = QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact));
    return u"<script>self.__next_f.push([1,"_s +
           array.mid(1, array.size() - 2)
               .replace(u"&"_s, u"\\u0026"_s)
               .replace(u"<"_s, u"\\u003c"_s)
               .replace(u">"_s, u"\\u003e"_s) +
           u"])</script>"_s;
}

/// A few rows of the stream as the site sends its drawn elements: arrays and objects with texts
/// that hold quotes, braces and Japanese text.
QString streamRows(int i)
{
    QString rows;
    for (int k = 0; k < 8; ++k)
        rows += uR"j(%1:["$","li",null,{"className":"newsList {x}","children":[["$","a",null,{"href":)j"
                uR"j("/news/detail/?a=%2&b=1","children":"東証大引け、日経平均は続伸 \"出来高\" %2株"}]]}])j"
                u"\n"_s.arg(QString::number(0x1000 + i * 8 + k, 16))
                    .arg(i * 8 + k);
    return rows;
}

/// The streamed page grown to about `bytes` UTF-8 bytes: half of the growth as markup before
/// the stream, half as pushes of other rows, one half of those before the quote's pushes.
QString streamedPageOfSize(const QString& page, qsizetype bytes)
{
    const qsizetype stream = page.indexOf(u"<script>(self.__next_f"_s);
    const qsizetype first = page.indexOf(u"<script>self.__next_f.push([1"_s);
    const qsizetype end = page.lastIndexOf(u"</script>"_s) + 9;
    if (stream < 0 || first < 0)
        return {};
    QString markup, before, after;
    qsizetype size = page.toUtf8().size();
    for (int i = 0; size < bytes; ++i) {
        const QString piece = i % 2 ? pushElement(streamRows(i)) : fillerBlock(i);
        size += piece.toUtf8().size();
        (i % 2 ? (i % 4 == 1 ? before : after) : markup) += piece;
    }
    return page.left(stream) + markup + page.mid(stream, first - stream) + before +
           page.mid(first, end - first) + after + page.mid(end);
}

QuoteFields streamReaderOnly(const QString& page)
{
    return streamedQuoteFields(streamedPageData(page).value_or(QString()));
}

} // namespace

int runParse(const QStringList&)
{
    const QString detail = loadPage(TICKORA_BENCH_PAGE);
    if (detail.isEmpty()) {
        std::fprintf(stderr, "  cannot read %s\n", TICKORA_BENCH_PAGE);
        return 1;
    }
    struct Size
    {
        const char* label;
        qsizetype bytes;
    };
    // Decimal units: the pages are 100 000, 1 000 000 and 10 000 000 bytes of UTF-8.
    const Size sizes[] = {{"100 KB", 100'000}, {"1 MB", 1'000'000}, {"10 MB", 10'000'000}};
    double first = 0;
    for (const Size& s : sizes) {
        const QString page = pageOfSize(detail, s.bytes);
        const Figure f = measure(page, 1.0);
        if (first == 0)
            first = f.secondsPerPage;
        std::printf(
            "  %-7s page: %10.3f ms per page  %8.1f MB/s  time %6.1f x the 100 KB page (size %5.0f x)\n",
            s.label, f.secondsPerPage * 1000.0, f.megabytesPerSecond, f.secondsPerPage / first,
            double(s.bytes) / double(sizes[0].bytes));
        std::fflush(stdout);
    }
    return 0;
}

int runToday(const QStringList&)
{
    const QString detail = loadPage(TICKORA_BENCH_PAGE);
    const QString today = loadPage(TICKORA_BENCH_TODAY_PAGE);
    if (detail.isEmpty() || today.isEmpty()) {
        std::fprintf(stderr, "  cannot read %s or %s\n", TICKORA_BENCH_PAGE, TICKORA_BENCH_TODAY_PAGE);
        return 1;
    }
    struct Size
    {
        const char* label;
        qsizetype bytes;
    };
    const Size sizes[] = {{"300 KB", 300'000}, {"1 MB", 1'000'000}, {"10 MB", 10'000'000}};
    for (const Size& s : sizes) {
        const QString page = todayPageOfSize(today, s.bytes);
        if (!parseQuotePage(page).isDetailPage) {
            std::fprintf(stderr, "  the built %s page has no readable state\n", s.label);
            return 1;
        }
        const Figure reader = measure(page, 1.0, parseStateQuotePage);
        const Figure dispatched = measure(page, 1.0);
        const Figure cut = measure(pageOfSize(detail, s.bytes), 1.0);
        std::printf("  %-7s page: state reader %8.3f ms (%6.1f MB/s), through parseQuotePage %8.3f ms;"
                    "  2012 cut %8.3f ms (%6.1f MB/s)\n",
                    s.label, reader.secondsPerPage * 1000.0, reader.megabytesPerSecond,
                    dispatched.secondsPerPage * 1000.0, cut.secondsPerPage * 1000.0, cut.megabytesPerSecond);
        std::fflush(stdout);
    }
    return 0;
}

} // namespace tickora::bench

namespace tickora::bench {

int runStream(const QStringList& args)
{
    // A page given on the command line is measured as it is.
    if (const qsizetype at = args.indexOf(u"--page"_s); at >= 0 && at + 1 < args.size()) {
        const QString path = args[at + 1];
        const QString page = loadPage(path.toUtf8().constData());
        const QuoteReading read = readQuotePage(page);
        const Figure f = measure(page, 1.0, streamReaderOnly);
        std::printf("  %s (%lld bytes, %s form): stream reader %8.3f ms (%6.1f MB/s), price \"%s\"\n",
                    qPrintable(path), static_cast<long long>(page.toUtf8().size()),
                    qPrintable(pageFormName(read.form)), f.secondsPerPage * 1000.0, f.megabytesPerSecond,
                    qPrintable(read.fields.price));
        return read.form == PageForm::Streamed ? 0 : 1;
    }
    const QString streamed = loadPage(TICKORA_BENCH_STREAMED_PAGE);
    if (streamed.isEmpty()) {
        std::fprintf(stderr, "  cannot read %s\n", TICKORA_BENCH_STREAMED_PAGE);
        return 1;
    }
    struct Size
    {
        const char* label;
        qsizetype bytes;
    };
    const Size sizes[] = {{"400 KB", 400'000}, {"4 MB", 4'000'000}};
    for (const Size& s : sizes) {
        const QString page = streamedPageOfSize(streamed, s.bytes);
        if (readQuotePage(page).form != PageForm::Streamed || !parseQuotePage(page).isDetailPage) {
            std::fprintf(stderr, "  the built %s page has no readable stream\n", s.label);
            return 1;
        }
        const Figure reader = measure(page, 1.0, streamReaderOnly);
        const Figure dispatched = measure(page, 1.0);
        std::printf("  %-7s page: stream reader %8.3f ms (%6.1f MB/s), through parseQuotePage %8.3f ms\n",
                    s.label, reader.secondsPerPage * 1000.0, reader.megabytesPerSecond,
                    dispatched.secondsPerPage * 1000.0);
        std::fflush(stdout);
    }
    return 0;
}

} // namespace tickora::bench
