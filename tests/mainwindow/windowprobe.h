#pragma once

// The main window on fakes: its controls found by object name, its clock, commands and cells
// driven as the timer and the user drive them.

#include "charts/picturebox.h"
#include "mainwindow/entrybox.h"
#include "mainwindow/form1.h"
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

struct Window
{
    FakeServices fakes;
    std::unique_ptr<Form1> form; ///< made by make(), after the test has set up the fakes

    Form1& make() { return make(fakes.services()); }
    Form1& make(const Services& services) { return *(form = std::make_unique<Form1>(services)); }

    template <class T> T* child(const QString& name) const
    {
        T* found = form->findChild<T*>(name);
        Q_ASSERT_X(found, "child", qPrintable(name));
        return found;
    }
    QuoteGrid* grid() const { return child<QuoteGrid>(u"MSFlexGrid1"_s); }
    EntryBox* box() const { return child<EntryBox>(u"Text1"_s); }
    QLabel* label(const QString& name) const { return child<QLabel>(name); }
    QString rowLabel() const { return label(u"Label5"_s)->text(); }
    QTimer* timer() const { return child<QTimer>(u"Timer1"_s); }
    void trigger(const QString& action) const { child<QAction>(action)->trigger(); }
    /// A tick of the refresh clock, as the timer gives it.
    void tick() const { QMetaObject::invokeMethod(timer(), "timeout"); }
    /// Timer off and status bar black.
    bool stopped() const
    {
        return !timer()->isActive() && label(u"Label3"_s)->palette().color(QPalette::Window) == Qt::black;
    }
    /// Answers every held request, also those that the answers start, until the work ends.
    void drain()
    {
        for (int i = 0; i < 50 && (i < 3 || fakes.http.held() > 0); ++i) {
            fakes.http.releaseAll();
            QTest::qWait(5);
        }
    }
    /// Makes a cell current and lets the grid hand it to the box, as taking the focus does.
    void select(int row, int col) const
    {
        grid()->setCurrent(row, col);
        Q_EMIT grid()->focusReceived();
    }
    QStringList codes(int rows) const
    {
        QStringList list;
        for (int r = 1; r <= rows; ++r)
            list << grid()->cellText(r, grid::Code);
        return list;
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
