#pragma once

#include <QLineEdit>

namespace tickora {

/// The entry box: a one-line editor that reports every character key (Enter as 13, Backspace
/// as 8) before it takes effect, so the window can consume it, and reports taking the focus.
class EntryBox : public QLineEdit
{
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

Q_SIGNALS:
    void keyPressed(int keyAscii, bool* consumed);
    void focusReceived();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
};

} // namespace tickora
