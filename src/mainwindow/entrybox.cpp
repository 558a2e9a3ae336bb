#include "entrybox.h"

#include <QKeyEvent>

namespace tickora {

void EntryBox::keyPressEvent(QKeyEvent* event)
{
    int key = 0;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        key = 13;
    else if (event->key() == Qt::Key_Backspace)
        key = 8;
    else if (!event->text().isEmpty() && !(event->modifiers() & Qt::ControlModifier))
        key = event->text().at(0).unicode();
    if (key != 0) {
        bool consumed = false;
        Q_EMIT keyPressed(key, &consumed);
        if (consumed) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void EntryBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    Q_EMIT focusReceived();
}

} // namespace tickora
