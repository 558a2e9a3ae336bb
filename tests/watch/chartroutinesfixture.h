#pragma once
// The chart routines' tests share a host that records what each slot, area and window shows, and
// fakes whose every address answers with a picture of its own colour or a series.
#include "support/chartimages.h"
#include "support/fakes.h"
#include "support/files.h"
#include "support/sheet.h"
#include "watch/chartroutines.h"
#include "watch/drawncharts.h"

#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QTest>

#include <map>

namespace tickora::test {

using namespace Qt::StringLiterals;
using Window = ChartRoutinesHost::Window;

class RecordingHost final : public ChartRoutinesHost
{
public:
    MemorySheet cells;
    int rows = 0, pixelsY = 1080;
    double ratio = 1; ///< the screen's device pixels per unit
    QString code;
    std::array<QString, 12> captions;
    std::array<QImage, 12> thumbs;
    QImage market;
    std::map<Window, QImage> shown;
    std::map<Window, QString> titles;
    QString yearLine, line;
    QDateTime clock{QDate(2013, 3, 5), QTime(10, 0), japanZone()}; // Japan time
    ServiceBackoff holds;
    QList<QDateTime> held;
    QList<std::pair<int, bool>> seriesAnswers;

    /// Fills a row per code, each traded at 9:30 at a price near its previous close.
    void fill(const QStringList& codes)
    {
        for (int r = 0; r < codes.size(); ++r) {
            tickora::test::fillRow(cells, r + 1, codes[r], u"name "_s + codes[r]);
            cells.setCellText(r + 1, grid::Price, u"1,0%1"_s.arg(r + 10));
            cells.setCellText(r + 1, grid::Time, u"9:30"_s);
            cells.setCellText(r + 1, grid::PrevClose, u"1,000"_s);
        }
        rows = int(codes.size());
    }

    const QuoteSheet& sheet() const override { return cells; }
    int watchCount() const override { return rows; }
    int screenPixelsY() const override { return pixelsY; }
    double devicePixelRatio() const override { return ratio; }
    void chartCodeChosen(const QString& c) override { code = c; }
    QString shortName(int index) const override { return u"short %1"_s.arg(index); }
    QString thumbCaption(int k) const override { return captions.at(k); }
    void setThumbCaption(int k, const QString& text) override { captions[k] = text; }
    QImage showThumb(int k, const QImage& picture) override { return thumbs[k] = picture; }
    void showMarketChart(const QImage& picture) override { market = picture; }
    void setMarketTitle(const QString&) override {}
    void closeWindow(Window window) override { shown.erase(window); }
    void setWindowTitle(Window window, const QString& title) override { titles[window] = title; }
    void showInWindow(Window window, const QImage& picture) override { shown[window] = picture; }
    void setYearChartLine(const QString& text) override { yearLine = text; }
    QString marketLine() const override { return line; }
    QDateTime now() const override { return clock; }
    QDateTime tradingMoment() const override { return clock; }
    ServiceBackoff& backoff() override { return holds; }
    void serviceHeld(const QDateTime& until) override { held.append(until); }
    void seriesAnswered(int status, bool holdStarted) override
    {
        seriesAnswers.append({status, holdStarted});
    }
};

/// The fakes, the host and the helpers of a chart routines test.
class ChartRoutinesFixture : public QObject
{
protected:
    std::unique_ptr<FakeServices> m_fakes;
    QStringList m_failing; ///< address parts answered with m_failure
    HttpResponse m_failure;
    RecordingHost m_host;

    static bool isSeries(const HttpRequest& r) { return r.url.path().startsWith(u"/v8/finance/chart/"_s); }
    static QColor colourOf(const QImage& image) { return image.isNull() ? QColor() : image.pixelColor(0, 0); }
    /// Each address answers with its own colour, so a picture tells which address it came from.
    static QColor colourFor(const QString& url) { return QColor(QRgb(qHash(url))); }

    Services services(bool drawn) const
    {
        Services s = m_fakes->services();
        s.config.charts = drawn ? ChartSource::Drawn : ChartSource::Images;
        return s;
    }
    int seriesRequests() const { return int(std::ranges::count_if(m_fakes->http.requests, isSeries)); }
    bool run(const std::function<void(ChartRoutines::Then)>& routine)
    {
        int calls = 0;
        routine([&calls] { ++calls; });
        return QTest::qWaitFor([&] { return calls > 0; }, 2000) && calls == 1;
    }

    /// Fresh fakes and host; every address answers well until listed in m_failing.
    void setUp()
    {
        m_fakes = std::make_unique<FakeServices>();
        m_host = RecordingHost();
        m_failing.clear();
        m_failure = HttpResponse{500, "<html>error</html>", {}, {}};
        m_fakes->http.setHandler([this](const HttpRequest& r) {
            for (const QString& needle : std::as_const(m_failing))
                if (r.url.toString().contains(needle))
                    return m_failure;
            if (!isSeries(r))
                return okResponse(chartPng(QSize(120, 80), colourFor(r.url.toString())));
            const QString symbol = QUrl::fromPercentEncoding(r.url.path().mid(18).toUtf8());
            return okResponse(seriesJson(symbol, r.url.query().contains(u"range=1d"_s), m_host.clock.date()));
        });
    }
};

} // namespace tickora::test
