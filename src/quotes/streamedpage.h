#pragma once

#include "quotefields.h"

#include <QJsonObject>
#include <QString>
#include <QStringView>

#include <optional>

namespace tickora {

/// The data a page streams to its script: the string of every `self.__next_f.push([1, "…"])`
/// call (blanks allowed between the tokens), the call's array decoded by the JSON reader, joined
/// in document order. Calls of another kind (`push([0])`, an array with more elements) and arrays
/// that do not decode add nothing; a string that the page ends in (a page cut short) ends the
/// data. Empty when the page makes no push call with data. Linear in the length of the page.
std::optional<QString> streamedPageData(QStringView page);

/// True when the page bootstraps or feeds the stream (`__next_f`), even with no data yet.
bool mentionsStream(QStringView page);

/// The first object in `data` that stands as the value of `key` (`"key" : {…}`) and that
/// `accept` takes, parsed with QJsonDocument. The object's end is found by counting braces
/// outside JSON strings; an object nested in one that was refused is not looked at, and the
/// search ends at an object that does not close before the data ends. Linear in the length of
/// `data`.
std::optional<QJsonObject> objectAfterKey(QStringView data, QStringView key,
                                          bool (*accept)(const QJsonObject&));

/// The quote read from streamed data: the price board (`board` of the first `"priceBoard"`
/// object that has one) and the day's figures (`indicators` of the first `"detailData"` object
/// that has them), wherever they stand. Values read as dataValueText gives them (so
/// `"$undefined"` and references take the field's fallback): name; shortName as the name
/// without the company form; price as shown; change with its sign; open, high, low, volume
/// numeric or "0"; prevClose as shown; time from `japanUpdateTime` when it holds ":" or "/".
/// Not a detail page, every field empty, when the data has no price board.
QuoteFields streamedQuoteFields(QStringView data);

/// The Nikkei average read from streamed data: indexBoardFields of the first
/// `"mainDomesticIndexPriceBoard"` and `"mainIndexPriceBoard"` objects.
IndexFields streamedIndexFields(QStringView data);

} // namespace tickora
