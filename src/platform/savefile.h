#pragma once

#include <QByteArray>
#include <QString>

namespace tickora {

/// Writes `bytes` to `path` through a temporary file in the same folder and a rename, so the
/// file holds either its old or its new content, never a part. Returns false (and leaves the
/// old file) on any failure; `error` receives the reason when given.
bool saveFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

} // namespace tickora
