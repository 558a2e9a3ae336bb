#include "entrybox.h"

#include "exchange/securitycode.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

namespace tickora {

namespace {

// `kept` is the number of characters before `c` that stay: a "-" is allowed only when none do.
bool isRefused(QChar c, qsizetype kept)
{
    if (c == u'-')
        return kept != 0;
    const char16_t u = c.unicode();
    return (u >= 32 && u <= 44) || u == u'/' || u > u'9';
}

qsizetype charLength(QStringView text, qsizetype i)
{
    return text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
}

} // namespace

RefusedChar firstRefused(QStringView text)
{
    // Every character before the first refused one stays, so its position is the count kept.
    for (qsizetype i = 0; i < text.size(); ++i)
        if (isRefused(text.at(i), i))
            return {i, charLength(text, i)};
    return {};
}

FilteredText removeRefused(QStringView text)
{
    // Removing a character only moves the later ones forward, so each character meets the rule
    // at the place it has among the characters kept before it.
    FilteredText result;
    result.text.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = charLength(text, i);
        if (isRefused(text.at(i), result.text.size()))
            ++result.removed;
        else
            result.text.append(text.mid(i, length));
        i += length;
    }
    return result;
}

FilteredText filterCodeText(QStringView text)
{
    FilteredText result;
    result.text.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = charLength(text, i);
        char16_t u = halfWidth(text.at(i)).unicode();
        i += length;
        if (u >= u'a' && u <= u'z')
            u = char16_t(u - u'a' + u'A');
        const QChar c(u);
        const qsizetype place = result.text.size();
        if ((c >= u'0' && c <= u'9') || (isCodeLetter(c) && place % 2 == 1 && place < 4))
            result.text.append(c);
        else
            ++result.removed;
    }
    return result;
}

bool EntryBox::report(int keyAscii)
{
    bool consumed = false;
    Q_EMIT keyPressed(keyAscii, &consumed);
    return consumed;
}

void EntryBox::keyPressEvent(QKeyEvent* event)
{
    int key = 0;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        key = 13;
    else if (event->key() == Qt::Key_Backspace)
        key = 8;
    else if (event->matches(QKeySequence::Paste))
        key = PasteKey; // Ctrl+V and Shift+Insert bring characters like any typed key
    else if (event->key() == Qt::Key_Delete || event->text() == QChar(0x7f))
        key = 0; // Delete produces no character (X11 still gives it the text U+007F)
    else if (!event->text().isEmpty() && !(event->modifiers() & Qt::ControlModifier))
        key = event->text().at(0).unicode();
    if (key != 0 && report(key)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void EntryBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    Q_EMIT focusReceived();
}

void EntryBox::inputMethodEvent(QInputMethodEvent* event)
{
    // Kana and kanji arrive through the input method, not as keys: report the committed text as
    // the key that brings it, so the window's key rules see Japanese input as well.
    if (!event->commitString().isEmpty() && report(event->commitString().at(0).unicode())) {
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void EntryBox::contextMenuEvent(QContextMenuEvent* event)
{
    // The standard menu, but its paste is reported first, as Ctrl+V is. The line edit connects
    // its paste action to paste() (by name in Qt 6.4); that connection tells the action apart
    // from the others, whatever language its caption is in.
    QMenu* menu = createStandardContextMenu();
    for (QAction* action : menu->actions()) {
        const bool pastes = disconnect(action, &QAction::triggered, this, &QLineEdit::paste) ||
                            disconnect(action, SIGNAL(triggered()), this, SLOT(paste()));
        if (!pastes)
            continue;
        action->setObjectName(QStringLiteral("edit-paste"));
        connect(action, &QAction::triggered, this, [this] {
            if (!report(PasteKey))
                paste();
        });
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void EntryBox::mouseReleaseEvent(QMouseEvent* event)
{
    // Where the platform has a selection clipboard (X11), the line edit pastes it on the
    // middle button's release.
    if (event->button() == Qt::MiddleButton && !isReadOnly() &&
        QGuiApplication::clipboard()->supportsSelection() && report(PasteKey)) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void EntryBox::dropEvent(QDropEvent* event)
{
    if (!isReadOnly() && event->mimeData()->hasText() && report(PasteKey)) {
        event->ignore();
        return;
    }
    QLineEdit::dropEvent(event);
}

} // namespace tickora
