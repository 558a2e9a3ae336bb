#pragma once

#include <QString>

namespace tickora::market {

/// The market's own page "/": a link to one address of every family it serves, and how to start
/// Tickora against the market listening on `port`.
QString homePage(int port);

} // namespace tickora::market
