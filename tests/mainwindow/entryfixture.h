#pragma once

// The main window on fakes with a code list, driven through real key and mouse events.

#include "support/files.h"
#include "windowprobe.h"

#include <memory>

namespace tickora::test {

/// A filled row of the grid, columns 1 to 12.
inline const QStringList QuoteRow = {u"7203"_s,  u"トヨタ自動車"_s, u"2,150"_s, u"+15"_s,
                                     u"2,135"_s, u"1,234,500"_s,    u"2,140"_s, u"2,160"_s,
                                     u"2,130"_s, u"2100"_s,         u"2200"_s,  u"15:00"_s};

/// Sends text as typed keys; characters outside Latin-1 go as key events carrying only their text.
inline void type(QWidget* w, const QString& text)
{
    for (QChar ch : text) {
        if (ch.unicode() < 0x100)
            QTest::keyClick(w, char(ch.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

/// The window of an entry test, made anew for each test function with its code list.
class EntryTest : public QObject
{
protected:
    std::unique_ptr<Window> m_w;
    QuoteGrid* grid() const { return m_w->grid(); }
    EntryBox* box() const { return m_w->box(); }
    QString listPath() const { return m_w->fakes.config.dataFile(u"tousyou1.csv"_s); }
    void fillRow(int row, const QStringList& cells)
    {
        for (int c = 0; c < cells.size(); ++c)
            grid()->setCellText(row, c + 1, cells[c]);
    }
    /// Types `text` into the box at (row, col), presses Enter, and with `wait` lets the answers come.
    void enter(int row, int col, const QString& text, bool wait = false)
    {
        m_w->select(row, col);
        type(box(), text);
        QTest::keyClick(box(), Qt::Key_Return);
        if (wait)
            m_w->drain();
    }
    /// Makes the window, its code list holding quoted and bare names; a later line for the same code wins.
    bool makeWindow()
    {
        m_w = std::make_unique<Window>();
        if (!writeFile(listPath(), cp932(u"1301,\"極洋\"\r\n7203,\"トヨタ自動車\"\r\n6758,\"ソニー\"\r\n"
                                         "9984,ソフトバンクグループ\r\n6758,\"ソニーグループ\"\r\n"_s)))
            return false;
        m_w->make();
        return true;
    }
};

} // namespace tickora::test
