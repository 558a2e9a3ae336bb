#include "uimap.h"

#include "charts/picturebox.h"
#include "mainwindow/entrybox.h"
#include "mainwindow/form1.h"
#include "mainwindow/quotegrid.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTextStream>

namespace tickora {

bool writeUiMap(const Form1& form, const QString& path)
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
    for (const QWidget* w : std::initializer_list<const QWidget*>{form.Text1, form.Check1, form.Label3, form.Label4,
                                                                  form.Label5, form.Image2})
        line(w->objectName(), global(w, w->rect()));
    for (int k = 0; k < 12; ++k) {
        line(form.Image1[k]->objectName(), global(form.Image1[k], form.Image1[k]->rect()));
        line(form.Label1[k]->objectName(), global(form.Label1[k], form.Label1[k]->rect()));
    }
    const QuoteGrid* g = form.MSFlexGrid1;
    for (int r = 0; r < g->rowCount(); ++r)
        for (int c = 0; c < g->columnCount(); ++c)
            line(QStringLiteral("cell_%1_%2").arg(r).arg(c), global(g->viewport(), g->visualItemRect(g->item(r, c))));
    return true;
}

} // namespace tickora
