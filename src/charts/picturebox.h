#pragma once

#include <QImage>
#include <QLabel>

namespace tickora {

/// A picture area: shows its picture unscaled from the top-left corner, clipped to the area.
/// An empty (null) picture clears it. Emits clicked() on a left click.
class PictureBox : public QLabel
{
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);
    void setPicture(const QImage& image);
    void clearPicture() { setPicture(QImage()); }
    QImage picture() const { return m_image; }
    bool hasPicture() const { return !m_image.isNull(); }
    /// A single-line flat border, as the thumbnails have.
    void setFlatBorder(bool on);

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage m_image;
};

/// A text label that emits clicked() on a left click.
class ClickLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace tickora
