#pragma once

// A chart routines host that records what each thumbnail slot, the market area and each chart
// window shows, over an in-memory grid.

#include "mainwindow/chartroutines.h"

#include <map>

namespace tickora::test {

using namespace Qt::StringLiterals;

class RecordingHost final : public ChartRoutinesHost, public QuoteSheet
{
public:
    QString cells[grid::Rows][grid::Cols];
    int rows = 0;
    qint16 code = 0;
    std::array<QString, 12> captions;
    std::array<QImage, 12> thumbs;
    QImage market;
    std::map<Window, QImage> shown;
    std::map<Window, QString> titles;
    QString yearLine;

    void fill(const QStringList& codes)
    {
        for (int r = 0; r < codes.size(); ++r) {
            cells[r + 1][grid::Code] = codes[r];
            cells[r + 1][grid::Name] = u"name "_s + codes[r];
        }
        rows = int(codes.size());
    }

    QString cellText(int row, int col) const override { return cells[row][col]; }
    void setCellText(int row, int col, const QString& text) override { cells[row][col] = text; }
    quint32 cellForeColor(int, int) const override { return 0; }
    void setCellForeColor(int, int, quint32) override {}

    const QuoteSheet& sheet() const override { return *this; }
    int watchCount() const override { return rows; }
    int screenPixelsY() const override { return 1080; }
    void chartCodeChosen(qint16 c) override { code = c; }
    QString shortName(int index) const override { return u"short %1"_s.arg(index); }
    QString thumbCaption(int k) const override { return captions[k]; }
    void setThumbCaption(int k, const QString& text) override { captions[k] = text; }
    QImage showThumb(int k, const QImage& picture) override { return thumbs[k] = picture; }
    void showMarketChart(const QImage& picture) override { market = picture; }
    void setMarketTitle(const QString&) override {}
    void closeWindow(Window window) override { shown.erase(window); }
    void setWindowTitle(Window window, const QString& title) override { titles[window] = title; }
    void showInWindow(Window window, const QImage& picture) override { shown[window] = picture; }
    void setYearChartLine(const QString& text) override { yearLine = text; }
};

} // namespace tickora::test
