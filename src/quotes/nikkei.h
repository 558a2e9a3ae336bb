#pragma once

#include <QString>

namespace tickora {

/// The Nikkei average line cut from the index page:
/// "日経平均 " + index value + " (" + bracketed change + ") " + fixed-position value.
/// - index value: the first bold text within the 400 characters from "cmn-index_value no-bg";
/// - bracketed change: the text in "(" ")" within the 20 characters from the first "</a>" that
///   lies within the 50 characters from "cmn-indexes_index_link";
/// - fixed-position value: the first bold text within the 200 characters from character 9220.
/// A missing marker or "</a>" leaves its piece empty; the literal pieces always stand. Marker
/// positions are not limited in range.
/// A page carrying the current site's embedded state, with neither marker in its markup outside
/// that state, gives todayNikkeiLine of the state instead.
QString nikkeiLine(const QString& page);

} // namespace tickora
