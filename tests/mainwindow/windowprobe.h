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

namespace tickora::test {

template <class T> T* child(const QObject& window, const QString& name)
{
    T* found = window.findChild<T*>(name);
    Q_ASSERT_X(found, "child", qPrintable(name));
    return found;
}

inline QuoteGrid* gridOf(const QObject& w)
{
    return child<QuoteGrid>(w, QStringLiteral("MSFlexGrid1"));
}
inline EntryBox* boxOf(const QObject& w)
{
    return child<EntryBox>(w, QStringLiteral("Text1"));
}
inline QLabel* labelOf(const QObject& w, const QString& name)
{
    return child<QLabel>(w, name);
}
inline QTimer* timerOf(const QObject& w)
{
    return child<QTimer>(w, QStringLiteral("Timer1"));
}
inline PictureBox* thumbOf(const QObject& w, int k)
{
    return child<PictureBox>(w, QStringLiteral("Image1_%1").arg(k));
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
