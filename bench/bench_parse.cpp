// parseQuotePage over pages of growing size: the time per page must grow with the page, not
// with its square.
#include "quotes/quoteparser.h"
#include "sections.h"

#include <QFile>

#include <cstdio>

namespace tickora::bench {

namespace {

using namespace Qt::StringLiterals;

QString loadDetailPage()
{
    QFile f(QString::fromUtf8(TICKORA_BENCH_PAGE));
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

Figure measure(const QString& page, double minSeconds)
{
    const double megabytes = double(page.toUtf8().size()) / 1e6;
    int runs = 0;
    QuoteFields sink;
    const double start = nowSeconds();
    double elapsed = 0;
    do {
        sink = parseQuotePage(page);
        ++runs;
        elapsed = nowSeconds() - start;
    } while (elapsed < minSeconds || runs < 3);
    if (sink.price.isEmpty())
        std::fprintf(stderr, "  warning: the page gave no price\n");
    const double perPage = elapsed / runs;
    return {perPage, megabytes / perPage};
}

} // namespace

int runParse(const QStringList&)
{
    const QString detail = loadDetailPage();
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

} // namespace tickora::bench
