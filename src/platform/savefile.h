#pragma once

#include <QByteArray>
#include <QString>

namespace tickora {

/// Writes `bytes` to `path` through a temporary file in the same folder and a rename, so the
/// file holds either its old or its new content, never a part. Returns false (and leaves the
/// old file) on any failure; `error` receives the reason when given.
bool saveFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

/// As saveFileAtomically, the same whole-or-nothing replacement by rename, but without forcing the
/// bytes to disk first: for files that only keep a last picture, which a crash may lose but never
/// leaves half written for a reader. Much faster on the window's thread.
bool replaceFileUnsynced(const QString& path, const QByteArray& bytes, QString* error = nullptr);

} // namespace tickora
