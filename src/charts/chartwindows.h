#pragma once

#include <QImage>
#include <QLabel>
#include <QWidget>

namespace tickora {

class PictureBox;

/// A secondary chart window: a top-level, modeless window whose client area, picture areas and
/// position are given in twips and turned into pixels with the screen's DPI. It is destroyed
/// when closed (by the user or by the program), so a closed window is never shown again: the
/// owner makes a new one on the next use. It never keeps the application running on its own.
class ChartWindow : public QWidget
{
    Q_OBJECT
public:
    /// True from the moment the window accepted a close; it is then about to be destroyed.
    bool isClosing() const { return m_closing; }
    /// Moves the window's outer top-left corner to (left, top) twips on the screen.
    void moveTwips(int left, int top);
    qreal dpi() const { return m_dpi; }

protected:
    /// `background` is 0x00BBGGRR, or negative for the window system's default colour.
    ChartWindow(const QString& name, const QString& caption, int widthTwips, int heightTwips,
                qint64 background, qreal dpi, QWidget* owner);
    QRect twips(int left, int top, int width, int height) const;
    PictureBox* addPicture(int left, int top, int width, int height);
    void closeEvent(QCloseEvent* event) override;
    /// Esc and Ctrl+W close the window, as the close box does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    qreal m_dpi;
    bool m_closing = false;
};

/// The 1-year chart of a stock (the old program's Form2): "REAL CHART" until a click titles it,
/// white, the chart above one text line (empty until set).
class StockYearChartWindow : public ChartWindow
{
    Q_OBJECT
public:
    explicit StockYearChartWindow(qreal dpi, QWidget* owner = nullptr);
    /// Shows `picture` in the chart area.
    void showChart(const QImage& picture);
    /// Sets the line under the chart (a short name from a web page, shown as plain text).
    void setNote(const QString& text);

private:
    PictureBox* m_chartPicture = nullptr; ///< the chart (the old program's Image1)
    QLabel* m_chartNote = nullptr;        ///< the line under it (the old program's Label1)
};

/// The 6-month chart of a stock (the old program's Form3): no controls; the chart is the window's
/// own background picture, drawn unscaled from the top-left corner on white. The caption is set
/// by its opener.
class StockHalfYearChartWindow : public ChartWindow
{
    Q_OBJECT
public:
    explicit StockHalfYearChartWindow(qreal dpi, QWidget* owner = nullptr);
    void setPicture(const QImage& image);
    QImage picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
};

/// The charts of the market, each in a window of its own.
enum class MarketWindow
{
    NikkeiHalfYear, ///< the Nikkei average over 6 months with RSI and W%R
    AdvanceDecline, ///< the Nikkei advance/decline ratio
    Dow,            ///< the New York Dow over 3 months
    DollarYen,      ///< the dollar-yen rate
};

/// A window showing one chart of the market in a picture area that fills it but for a margin.
/// Its name, caption, size and colour come from a table by `MarketWindow`.
class MarketChartWindow : public ChartWindow
{
    Q_OBJECT
public:
    explicit MarketChartWindow(MarketWindow chart, qreal dpi, QWidget* owner = nullptr);
    MarketWindow chart() const { return m_chart; }
    /// True for the windows that stand at (ChartWindowLeftTwips, ChartWindowTopTwips) each time
    /// they are shown.
    bool standsAtFixedPlace() const;
    /// Shows `picture` in the chart area.
    void showChart(const QImage& picture);

private:
    MarketWindow m_chart;
    PictureBox* m_chartPicture = nullptr;
};

/// Where the fixed-place market chart windows stand each time they are shown, in twips.
constexpr int ChartWindowLeftTwips = 9500;
constexpr int ChartWindowTopTwips = 500;

} // namespace tickora
