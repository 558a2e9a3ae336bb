#pragma once

#include <QString>

namespace tickora {
class MainWindow;

/// Writes where the window's menu items, controls and grid cells stand on the screen, one per
/// line as "name x y width height" in screen pixels, so that scripts driving the program with a
/// real mouse and keyboard (the run script, end-to-end tests) know where to click.
bool writeUiMap(const MainWindow& form, const QString& path);
} // namespace tickora
