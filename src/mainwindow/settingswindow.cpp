#include "settingswindow.h"

#include "charts/widgetstyle.h"
#include "platform/geometry.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {
constexpr quint32 LightGrey = 0x00E0E0E0;

QString number(qreal value)
{
    // The measure is a single-precision quotient; a whole one is written without decimals.
    const float v = float(value);
    return QString::number(double(v), 'g', 7); // as many digits as a float holds
}
} // namespace

QString resolutionText(QSizeF pixels)
{
    return number(pixels.width()) + u" x "_s + number(pixels.height());
}

SettingsWindow::SettingsWindow(qreal dpi, QWidget* parent) : QWidget(parent)
{
    setObjectName(u"settingsWindow"_s);
    setWindowTitle(u"Form6"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    setBackground(this, LightGrey);
    resize(twipsToPixels(5430, dpi), twipsToPixels(3720, dpi));
    // The Japanese UI font of the main window (an installed substitute draws it).
    QFont font(u"ＭＳ Ｐゴシック"_s);
    font.setPointSizeF(9);
    setFont(font);

    auto label = [&](const QString& name, QRect geometry) {
        auto* l = new QLabel(this);
        l->setObjectName(name);
        l->setGeometry(geometry);
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return l;
    };
    m_heading = label(u"settingsHeading"_s, twipsRect(360, 480, 4695, 495, dpi));
    m_resolution = label(u"resolutionLabel"_s, twipsRect(3120, 720, 1455, 375, dpi));
    m_smallScreenNote = label(u"smallScreenNote"_s, twipsRect(240, 1440, 5055, 615, dpi));

    m_okButton = new QPushButton(u"ＯＫ"_s, this);
    m_okButton->setObjectName(u"okButton"_s);
    m_okButton->setGeometry(twipsRect(4080, 2880, 855, 375, dpi));
    connect(m_okButton, &QPushButton::clicked, this, &QWidget::close);
}

void SettingsWindow::showResolution(QSizeF pixels)
{
    m_heading->setText(u"現在使用中のディスプレの解像度   横\u3000Ｘ\u3000縦"_s);
    m_resolution->setText(resolutionText(pixels));
    m_smallScreenNote->setText(u"縦が800以下の場合リアルチャートは自動で小さく表示されます。"_s);
}

} // namespace tickora
