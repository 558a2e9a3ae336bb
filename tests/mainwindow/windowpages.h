#pragma once

// Pages, series and steps the tests of the main window share: quote pages from the test data,
// a refresh run to its end, and the settings windows open.

#include "mainwindow/settingswindow.h"
#include "mainwindow/thumbcaption.h"
#include "platform/helpviewer.h"
#include "quotes/secondsource.h"
#include "support/chartimages.h"
#include "support/files.h"
#include "watch/drawncharts.h"
#include "windowprobe.h"

namespace tickora::test {

inline QByteArray quotePage(const QString& name)
{
    return readFile(QString::fromUtf8(TICKORA_QUOTE_PAGES "/") + name);
}

inline const QString NikkeiPage =
    u"<html><div class=\"cmn-index_value no-bg\"><b>12,283.62</b></div>"
    "<a class=\"cmn-indexes_index_link\" href=\"/n\">前日比</a>(+193.16)</html>"_s;
inline const QByteArray Empties = ",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"";

/// Makes the window if not yet made, writes the cells and runs a refresh to its last step, the Nikkei line.
inline bool start(Window& w, const Cells& cells = {})
{
    if (!w.form)
        w.make();
    w.put(cells);
    w.label(u"nikkeiLine"_s)->clear();
    w.trigger(u"startRealTimeCommand"_s);
    return QTest::qWaitFor([&] { return !w.label(u"nikkeiLine"_s)->text().isEmpty(); }, 5000);
}

/// Serves the 2012 pages of 7203 (real-time, up), 6758 (delayed, down) and the Nikkei.
inline void serveOldPages(Window& w)
{
    w.fakes.http.serve(u"code=7203"_s, quotePage(u"detail_7203_realtime_up.html"_s));
    w.fakes.http.serve(u"code=6758"_s, quotePage(u"detail_6758_delayed_down.html"_s));
    w.fakes.http.serve(u"/nkave"_s, NikkeiPage.toUtf8());
}

inline QList<SettingsWindow*> settingsWindows()
{
    QList<SettingsWindow*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<SettingsWindow*>(w))
            found.append(f);
    return found;
}

} // namespace tickora::test
