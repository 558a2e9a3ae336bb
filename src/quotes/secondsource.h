#pragma once

#include <QDate>
#include <QHash>
#include <QSet>
#include <QString>

namespace tickora {

/// What the status line says when pages answer but no reader finds their quote, and when the
/// series service refuses the program.
inline constexpr char16_t PagesUnreadFromSeriesText[] =
    u"株価ページを読めません（ページの形式が変わった可能性があります）。価格は系列データから表示しています";
inline constexpr char16_t PagesUnreadText[] =
    u"株価ページを読めません（ページの形式が変わった可能性があります）";
inline constexpr char16_t SeriesRefusedText[] =
    u"チャートの系列データを取得できません（サービスが応答を拒んでいます）";

/// Whether a page without a quote is the service's word that it lists no such code
/// ("該当する銘柄はありません", in any form of page): the code is unknown, the page is not
/// unreadable, and no other source stands in for it.
bool isNoSuchCodePage(const QString& page);

/// When to tell that pages cannot be read: each of the two messages at most once a day, and once
/// more after every page that could not be read has been read again (the service may change its
/// pages twice in a day). A page is named by its code ("998407.O" for the Nikkei's).
class UnreadPageNotices
{
public:
    /// The page of `code` has been read. True when it was the last page not read: every page
    /// reads again, and what was told no longer holds.
    bool pageRead(const QString& code);
    /// The page of `code` could not be read on `day`, and the series stood in for it
    /// (`fromSeries`) or could not. Returns the message to show now, empty when it has been told.
    QString pageUnread(const QString& code, bool fromSeries, QDate day);
    /// The page of `code` shows another security, `boardCode`. Returns the message to show now
    /// (otherCodeText), empty when this page has shown that security since it last read as its own.
    QString pageOfOtherCode(const QString& code, const QString& boardCode);
    /// The message told for the page of `code` showing another security; empty when none stands.
    QString otherCodeTold(const QString& code) const;

private:
    QSet<QString> m_unread;              ///< the pages not read since they last failed
    QHash<QString, QString> m_otherCode; ///< the security each page showed instead, told once
    QDate m_toldFromSeries;
    QDate m_toldUnread;
};

/// Counts the series service's refusals in a row: an answer that starts a hold (429, 503) or a
/// 403. Any other answer ends the run.
class SeriesRefusals
{
public:
    /// Takes note of an answer of the series service. True once, when a run reaches three
    /// refusals: the moment to tell the user; told again only after an answer ended the run.
    bool noteAnswer(int status, bool holdStarted);

private:
    int m_run = 0;
};

} // namespace tickora
