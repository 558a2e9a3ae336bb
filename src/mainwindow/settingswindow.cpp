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

Form6::Form6(qreal dpi, QWidget* parent) : QWidget(parent)
{
    setObjectName(u"Form6"_s);
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
    Label1 = label(u"Label1"_s, twipsRect(360, 480, 4695, 495, dpi));
    Label2 = label(u"Label2"_s, twipsRect(3120, 720, 1455, 375, dpi));
    Label3 = label(u"Label3"_s, twipsRect(240, 1440, 5055, 615, dpi));

    Command2 = new QPushButton(u"ＯＫ"_s, this);
    Command2->setObjectName(u"Command2"_s);
    Command2->setGeometry(twipsRect(4080, 2880, 855, 375, dpi));
    connect(Command2, &QPushButton::clicked, this, &QWidget::close);
}

void Form6::showResolution(QSizeF pixels)
{
    Label1->setText(u"現在使用中のディスプレの解像度   横\u3000Ｘ\u3000縦"_s);
    Label2->setText(resolutionText(pixels));
    Label3->setText(u"縦が800以下の場合リアルチャートは自動で小さく表示されます。"_s);
}

} // namespace tickora
