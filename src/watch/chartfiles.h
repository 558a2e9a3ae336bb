#pragma once

#include "charts/chartsources.h"
#include "platform/services.h"

#include <QHash>
#include <QImage>
#include <QObject>

#include <functional>

namespace tickora {

/// The chart files of the data folder and what this run knows each holds. A file is shown again
/// after a failure only when it is known to hold the very chart asked for: never another stock's
/// chart nor another kind of chart.
class ChartFiles
{
public:
    using Then = std::function<void()>;
    using Show = std::function<void(const QImage&)>;
    /// `services` is read at each use, so it must outlive the files.
    explicit ChartFiles(const Services& services) : m_services(services) {}

    QImage load(const QString& file) const;
    /// Notes that `file` holds the chart noted as `holds` now.
    void noteHolds(const QString& file, const QUrl& holds) { m_holds.insert(file, holds); }
    /// What `file` holds is not known any more.
    void forget(const QString& file) { m_holds.remove(file); }
    /// True when the file of `chart` holds the chart noted as `holds`: so noted in this run, or,
    /// when this run noted nothing for it, the file only ever receives the one chart.
    bool holds(const ChartDownload& chart, const QUrl& holds) const;
    /// The picture to show after a download of `chart`, whether or not it replaced the file.
    QImage chartPicture(const ChartDownload& chart, bool written);
    /// Downloads `chart` into its file, hands `show` the picture to show, then runs `then`.
    /// `context` ends the wait when it goes.
    void fetch(const ChartDownload& chart, QObject* context, Show show, Then then);

private:
    const Services& m_services;
    /// Which address each chart file last received in this run (file path to address).
    QHash<QString, QUrl> m_holds;
};

} // namespace tickora
