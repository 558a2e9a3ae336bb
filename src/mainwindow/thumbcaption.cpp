#include "thumbcaption.h"

#include <QEvent>
#include <QFontMetrics>
#include <QTextDocument>

namespace tickora {

ThumbCaption::ThumbCaption(QWidget* parent) : ClickLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
}

void ThumbCaption::setName(const QString& name)
{
    const bool changed = name != m_name;
    m_name = name;
    // A tooltip that looks like markup is drawn as markup: hand it the name escaped, in
    // markup of its own, so the tip shows the characters the name holds.
    setToolTip(name.isEmpty() ? QString() : Qt::convertFromPlainText(name, Qt::WhiteSpacePre));
    setAccessibleName(name);
    showName();
    if (changed)
        Q_EMIT nameChanged(m_name);
}

void ThumbCaption::setSlotWidth(int pixels)
{
    if (pixels == m_slotWidth)
        return;
    m_slotWidth = qMax(0, pixels);
    showName();
}

void ThumbCaption::changeEvent(QEvent* event)
{
    ClickLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        showName();
}

void ThumbCaption::showName()
{
    const int room = m_slotWidth - contentsMargins().left() - contentsMargins().right() - 2 * margin();
    // One line: a line break in a name would push the caption down over its picture.
    QString line = m_name;
    for (QChar& c : line)
        if (c == u'\n' || c == u'\r' || c == u'\t')
            c = u' ';
    setText(fontMetrics().elidedText(line, Qt::ElideRight, qMax(0, room)));
    adjustSize();
    resize(qMin(width(), m_slotWidth), height());
}

} // namespace tickora
