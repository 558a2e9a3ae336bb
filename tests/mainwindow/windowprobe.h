#pragma once

// The main window on fakes, its controls found by object name and driven as the timer and user do.

#include "charts/picturebox.h"
#include "mainwindow/entrybox.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/quotegrid.h"
#include "support/fakes.h"
#include "support/sheet.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <memory>

using Qt::Literals::StringLiterals::operator""_s;

namespace tickora::test {

/// A cell of the grid and its text.
struct Cell
{
    int row = 0;
    int col = 0;
    QString text;
    friend bool operator==(const Cell&, const Cell&) = default;
};
using Cells = QList<Cell>;

inline QString cellText(const Cell& c)
{
    return u"%1,%2=\"%3\""_s.arg(c.row).arg(c.col).arg(c.text);
}

inline char* toString(const Cell& cell)
{
    return QTest::toString(cellText(cell));
}

inline char* toString(const Cells& cells)
{
    QStringList shown;
    for (const Cell& c : cells)
        shown << cellText(c);
    return QTest::toString(shown.join(u", "_s));
}

/// What the user sees of the entry: the current cell, the row label, the box, the message boxes
/// shown so far, the beeps, and whether the cycle is stopped.
struct WindowState
{
    QPoint current; ///< (row, col)
    QString rowLabel;
    QString box;
    qsizetype shown = 0;
    int beeps = 0;
    bool stopped = true;
    friend bool operator==(const WindowState&, const WindowState&) = default;
};

inline char* toString(const WindowState& s)
{
    return QTest::toString(u"current %1,%2 label %3 box %4 shown %5 beeps %6 %7"_s.arg(s.current.x())
                               .arg(s.current.y())
                               .arg(s.rowLabel, s.box)
                               .arg(s.shown)
                               .arg(s.beeps)
                               .arg(s.stopped ? u"stopped"_s : u"running"_s));
}

struct Window
{
    FakeServices fakes;
    std::unique_ptr<MainWindow> form;

    MainWindow& make() { return make(fakes.services()); }
    MainWindow& make(const Services& services) { return *(form = std::make_unique<MainWindow>(services)); }

    template <class T> T* child(const QString& name) const { return form->findChild<T*>(name); }
    QuoteGrid* grid() const { return child<QuoteGrid>(u"quoteGrid"_s); }
    EntryBox* box() const { return child<EntryBox>(u"entryBox"_s); }
    QLabel* label(const QString& name) const { return child<QLabel>(name); }
    QTimer* timer() const { return child<QTimer>(u"refreshTimer"_s); }
    void trigger(const QString& action) const { child<QAction>(action)->trigger(); }
    void tick() const { QMetaObject::invokeMethod(timer(), "timeout"); }
    bool stopped() const
    {
        return !timer()->isActive() &&
               label(u"realTimeStatus"_s)->palette().color(QPalette::Window) == Qt::black;
    }
    /// Answers held requests, also those the answers start, until the work ends.
    void drain()
    {
        for (int i = 0; i < 50 && (i < 3 || fakes.http.unanswered() > 0); ++i) {
            fakes.http.releaseAll();
            QTest::qWait(5);
        }
    }
    /// Makes a cell current and hands it to the box, as the grid's taking the focus does.
    void select(int row, int col) const
    {
        grid()->setCurrent(row, col);
        Q_EMIT grid()->focusReceived();
    }
    /// Writes each cell's text.
    void put(const Cells& cells) const
    {
        for (const Cell& c : cells)
            grid()->setCellText(c.row, c.col, c.text);
    }
    /// The cells at the places of `cells`, with the texts they hold now.
    Cells read(Cells cells) const
    {
        for (Cell& c : cells)
            c.text = grid()->cellText(c.row, c.col);
        return cells;
    }
    WindowState state() const
    {
        return {QPoint(grid()->row(), grid()->col()),
                label(u"currentRowLabel"_s)->text(),
                box()->text(),
                fakes.dialogs.shown.size(),
                fakes.sound.beeps,
                stopped()};
    }
    QPoint cellCenter(int row, int col) const
    {
        return grid()->visualItemRect(grid()->item(row, col)).center();
    }
    bool showActive() const
    {
        form->show();
        form->activateWindow();
        return QTest::qWaitForWindowActive(form.get());
    }
};

} // namespace tickora::test

Q_DECLARE_METATYPE(tickora::test::Cell)
