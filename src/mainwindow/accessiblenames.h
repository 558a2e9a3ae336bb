#pragma once

#include "quotes/quotesheet.h"

#include <array>

class QLabel;
class QLineEdit;
class QStatusBar;
class QTableWidget;
class QWidget;

namespace tickora {
class PictureBox;
class ThumbCaption;

/// The main window's controls whose accessible names and descriptions Qt leaves empty or unhelpful.
struct SpokenControls
{
    QLineEdit* entryBox = nullptr;
    QTableWidget* quoteGrid = nullptr;
    QWidget* indexChart = nullptr;
    QStatusBar* statusLine = nullptr;
    QLabel* dateLabel = nullptr;
    QLabel* realTimeStatus = nullptr;
    QLabel* currentRowLabel = nullptr;
    QLabel* nikkeiLine = nullptr;
    std::array<PictureBox*, grid::WatchedRows> thumbnails{}; ///< slot k shows the chart of grid row k + 1
    std::array<ThumbCaption*, grid::WatchedRows> thumbnailCaptions{}; ///< the name above slot k
};

/// Gives the controls the names a screen reader speaks, so that a user who cannot see the window,
/// and a script that drives it through the accessibility tree, can tell them apart. Labels keep
/// their text as their name (it is what they say) and are told apart by their description; a
/// thumbnail keeps its slot's name and describes itself as the chart of the stock its caption
/// names, following the caption as it changes. Any control left null is skipped.
void nameForScreenReaders(const SpokenControls& controls);

} // namespace tickora
