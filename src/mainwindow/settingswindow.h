#pragma once

#include <QSizeF>
#include <QWidget>

class QLabel;
class QPushButton;

namespace tickora {

/// The resolution as the settings window shows it: width, " x ", height; a whole value
/// without decimals (1024), a fractional one with them.
QString resolutionText(QSizeF pixels);

/// The settings window (the old program's Form6): the screen resolution and the small-screen rule. A
/// top-level window without owner that deletes itself when closed ("ＯＫ" or the close box) and does not keep
/// the program running once the main window has closed.
class SettingsWindow : public QWidget
{
    Q_OBJECT
public:
    /// `dpi` converts the window's design sizes (twips) into pixels.
    explicit SettingsWindow(qreal dpi, QWidget* parent = nullptr);

    /// Writes the three texts for a screen of `pixels`.
    void showResolution(QSizeF pixels);

private:
    QLabel* m_heading = nullptr;         ///< heading line (the old program's Label1)
    QLabel* m_resolution = nullptr;      ///< the resolution (the old program's Label2)
    QLabel* m_smallScreenNote = nullptr; ///< the small-screen note (the old program's Label3)
    QPushButton* m_okButton = nullptr;   ///< "ＯＫ": closes the window (the old program's Command2)
};

} // namespace tickora
