#pragma once

#include "platform/config.h"
#include "quotes/quotepage.h"

#include <QDate>
#include <QString>
#include <QStringView>

namespace tickora {

/// The index whose page the Nikkei line is read from, as its board names it without the market.
inline constexpr char16_t NikkeiIndexCode[] = u"998407";

/// Whether two codes name the same security: compared in canonical form (canonicalCode: "0123"
/// is "123", "285a" is "285A") when both are codes, else as trimmed texts without regard to case.
/// A market suffix (".T", ".O") on either side is dropped first.
bool sameSecurityCode(QStringView a, QStringView b);

/// What a page answered for one code is to the program.
enum class PageVerdict
{
    Read,       ///< this code's quote was found
    OtherCode,  ///< the page's board names another code: nothing is taken from it
    NoSuchCode, ///< the service's word that it lists no such code
    Unread,     ///< no reader found the quote: the page is in a form no reader knows
    NotDetail,  ///< (2012 pages only) no detail page: the row is emptied, nothing else is asked
};

struct JudgedQuote
{
    PageVerdict verdict = PageVerdict::Unread;
    QuoteReading reading; ///< as read; with today's pages the time in the grid's form
};

/// Judges the page answered for `code`. With today's pages a page is read only when the streamed
/// board, the state board or (page with neither) a 2012 cut that found the price cell gave a
/// quote; any other page that is no "no such code" page is unread, "株価詳細" or not. With 2012
/// pages a detail page is read, price cell or not, and any other page is NotDetail (NoSuchCode
/// when it says so). With either, a board that names another code than `code` gives OtherCode; a
/// board that names no code is taken as this code's. `japanToday` decides the time cell. An
/// unread page's form is None, even when its markup says "株価詳細".
JudgedQuote judgeQuotePage(const QString& page, const QString& code, QuotePages pages, QDate japanToday);

struct JudgedIndex
{
    PageVerdict verdict = PageVerdict::Unread;
    IndexReading reading; ///< as read; with today's pages the time and the line in the grid's form
};

/// Judges the Nikkei's page: Read when its board was found and names the Nikkei (or no code),
/// OtherCode when it names another index, else Unread.
JudgedIndex judgeIndexPage(const QString& page, QuotePages pages, QDate japanToday);

/// The status line's word for a page that shows another security:
/// "株価ページが別の銘柄を示しています（2107 → 627A）" (the row's code, then the board's).
QString otherCodeText(const QString& rowCode, const QString& boardCode);

} // namespace tickora
