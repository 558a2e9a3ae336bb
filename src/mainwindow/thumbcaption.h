#pragma once

#include "charts/picturebox.h"

namespace tickora {

/// The name caption of a thumbnail. Names come from web pages and the code list: the caption
/// shows one as plain text, cut with "…" to the width of its slot so it never runs into the
/// neighbouring caption, and holds the whole name in its tooltip and accessible name. The
/// label takes the width of what it shows.
class ThumbCaption : public ClickLabel
{
    Q_OBJECT
public:
    explicit ThumbCaption(QWidget* parent = nullptr);

    void setName(const QString& name);
    /// The whole name, as given.
    QString name() const { return m_name; }
    /// The room the caption has, in pixels; the name is cut again to it.
    void setSlotWidth(int pixels);
    int slotWidth() const { return m_slotWidth; }

Q_SIGNALS:
    /// The whole name changed (to `name`).
    void nameChanged(const QString& name);

protected:
    void changeEvent(QEvent* event) override;

private:
    void showName();

    QString m_name;
    int m_slotWidth = 0;
};

} // namespace tickora
