#pragma once

#include <QString>
#include <QStringView>

namespace tickora {

/// The text between the first occurrence of `start` and the first occurrence of `end` after it,
/// both matched exactly. Empty when `start` does not occur, when no `end` follows it, or when
/// `end` begins right after `start`. Only the first `start` counts. (The old program's GetText.)
QString textBetween(const QString& all, const QString& start, const QString& end);

/// The text between the first "<strong>" and the next "</strong>" of the last "</div>"-delimited
/// block of `all` that contains `label`. The delimiter and the label are matched
/// case-insensitively; a later matching block wins even when it yields the empty text. Empty
/// when no block contains the label. Runs in time linear in the length of `all`. (The old
/// program's GetValue.)
QString valueAfterLabel(const QString& all, const QString& label);

/// View forms of the two cuts, for callers that cut pieces of pieces without copying. The
/// result views into `all`.
QStringView textBetweenView(QStringView all, QStringView start, QStringView end);
QStringView valueAfterLabelView(QStringView all, QStringView label);

} // namespace tickora
