#pragma once

// Reaches the main window's controls by object name, and drives its clock and commands as the
// user and the timer do.

#include "charts/picturebox.h"
#include "mainwindow/entrybox.h"
#include "mainwindow/quotegrid.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QTimer>

using Qt::Literals::StringLiterals::operator""_s;

namespace tickora::test {

template <class T> T* child(const QObject& window, const QString& name)
{
    T* found = window.findChild<T*>(name);
    Q_ASSERT_X(found, "child", qPrintable(name));
    return found;
}

inline QuoteGrid* gridOf(const QObject& w)
{
    return child<QuoteGrid>(w, u"MSFlexGrid1"_s);
}
inline EntryBox* boxOf(const QObject& w)
{
    return child<EntryBox>(w, u"Text1"_s);
}
inline QLabel* labelOf(const QObject& w, const QString& name)
{
    return child<QLabel>(w, name);
}
inline QTimer* timerOf(const QObject& w)
{
    return child<QTimer>(w, u"Timer1"_s);
}
inline PictureBox* thumbOf(const QObject& w, int k)
{
    return child<PictureBox>(w, u"Image1_%1"_s.arg(k));
}
inline QAction* actionOf(const QObject& w, const QString& name)
{
    return child<QAction>(w, name);
}
/// A tick of the refresh clock, as the timer gives it.
inline void tick(const QObject& w)
{
    QMetaObject::invokeMethod(timerOf(w), "timeout");
}

} // namespace tickora::test
