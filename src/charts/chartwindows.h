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

/// The 1-year chart of a stock: "REAL CHART" until a click titles it, white, the chart in
/// `Image1` and one text line `Label1` below it (empty until set).
class Form2 : public ChartWindow
{
    Q_OBJECT
public:
    explicit Form2(qreal dpi, QWidget* owner = nullptr);
    PictureBox* Image1 = nullptr;
    QLabel* Label1 = nullptr;
};

/// The 6-month chart of a stock: no controls; the chart is the window's own background picture,
/// drawn unscaled from the top-left corner on white. The caption is set by its opener.
class Form3 : public ChartWindow
{
    Q_OBJECT
public:
    explicit Form3(qreal dpi, QWidget* owner = nullptr);
    void setPicture(const QImage& image);
    QImage picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
};

/// The Nikkei average 6-month chart with RSI and W%R, white, shown at left 9500, top 500 twips.
class Form5 : public ChartWindow
{
    Q_OBJECT
public:
    explicit Form5(qreal dpi, QWidget* owner = nullptr);
    PictureBox* Image1 = nullptr;
};

/// The Nikkei advance/decline ratio, in the default window colour; its opener sets the caption.
class Form7 : public ChartWindow
{
    Q_OBJECT
public:
    explicit Form7(qreal dpi, QWidget* owner = nullptr);
    PictureBox* Image1 = nullptr;
};

/// The New York Dow over 3 months, white.
class Form9 : public ChartWindow
{
    Q_OBJECT
public:
    explicit Form9(qreal dpi, QWidget* owner = nullptr);
    PictureBox* Image1 = nullptr;
};

/// The dollar-yen rate, grey, shown at left 9500, top 500 twips.
class Form12 : public ChartWindow
{
    Q_OBJECT
public:
    explicit Form12(qreal dpi, QWidget* owner = nullptr);
    PictureBox* Image1 = nullptr;
};

/// Where Form5 and Form12 stand each time they are shown, in twips.
constexpr int ChartWindowLeftTwips = 9500;
constexpr int ChartWindowTopTwips = 500;

} // namespace tickora
