#pragma once

#include "watch/entrytext.h"

#include <QLineEdit>

namespace tickora {

/// The entry box: a one-line editor that reports every character key (Enter as 13, Backspace
/// as 8, a paste as PasteKey) before it takes effect, so the window can consume it, and reports
/// taking the focus. Delete and other keys without a character are not reported. Text committed
/// by an input method is reported as the key of its first character. Every other way text is
/// pasted in is reported as PasteKey too, as Ctrl+V is: the context menu's paste, the middle
/// button's paste of the X11 selection and text dropped into the box.
class EntryBox : public QLineEdit
{
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

    /// The key reported for a paste (Ctrl+V, Shift+Insert): the control code of Ctrl+V.
    static constexpr int PasteKey = 22;

Q_SIGNALS:
    void keyPressed(int keyAscii, bool* consumed);
    void focusReceived();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    /// Reports `keyAscii`; true when the window consumed it, so it must take no effect.
    bool report(int keyAscii);
};

} // namespace tickora
