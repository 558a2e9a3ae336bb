#include "uimap.h"

#include "mainwindow/mainwindow.h"
#include "mainwindow/quotegrid.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTextStream>

namespace tickora {

using namespace Qt::StringLiterals;

bool writeUiMap(const MainWindow& form, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QTextStream out(&file);
    auto line = [&](const QString& name, QRect r) {
        out << name << ' ' << r.x() << ' ' << r.y() << ' ' << r.width() << ' ' << r.height() << '\n';
    };
    auto global = [](const QWidget* w, QRect r) { return QRect(w->mapToGlobal(r.topLeft()), r.size()); };

    const QMenuBar* bar = form.menuBar();
    for (QAction* a : bar->actions()) {
        const QString name = a->menu() ? a->menu()->objectName() : a->objectName();
        line(name, global(bar, bar->actionGeometry(a)));
    }
    QStringList names = {u"entryBox"_s,        u"muteBox"_s,    u"realTimeStatus"_s, u"nikkeiLine"_s,
                         u"currentRowLabel"_s, u"indexChart"_s, u"statusLine"_s};
    for (int k = 0; k < grid::WatchedRows; ++k)
        names << u"thumbnail%1"_s.arg(k) << u"thumbnailCaption%1"_s.arg(k);
    for (const QString& name : names) {
        const auto* w = form.findChild<const QWidget*>(name);
        if (!w)
            return false;
        line(name, global(w, w->rect()));
    }
    // Shown only once the quotes are known to come from a simulated market.
    if (const auto* mark = form.findChild<const QWidget*>(u"simulatedMark"_s); mark && mark->isVisible())
        line(mark->objectName(), global(mark, mark->rect()));
    const auto* g = form.findChild<const QuoteGrid*>(u"quoteGrid"_s);
    if (!g)
        return false;
    for (int r = 0; r < g->rowCount(); ++r)
        for (int c = 0; c < g->columnCount(); ++c)
            line(u"cell_%1_%2"_s.arg(r).arg(c), global(g->viewport(), g->visualItemRect(g->item(r, c))));
    return true;
}

} // namespace tickora
