#include "accessiblenames.h"

#include "charts/picturebox.h"
#include "thumbcaption.h"

#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTableWidget>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

void name(QWidget* widget, const QString& text)
{
    if (widget)
        widget->setAccessibleName(text);
}

void describe(QWidget* widget, const QString& text)
{
    if (widget)
        widget->setAccessibleDescription(text);
}

QString thumbnailDescription(const QString& stockName)
{
    return stockName.isEmpty() ? QString() : stockName + u" のチャート"_s;
}

void followCaption(QWidget* thumbnail, ThumbCaption* caption)
{
    if (!thumbnail || !caption)
        return;
    thumbnail->setAccessibleDescription(thumbnailDescription(caption->name()));
    QObject::connect(caption, &ThumbCaption::nameChanged, thumbnail, [thumbnail](const QString& stockName) {
        thumbnail->setAccessibleDescription(thumbnailDescription(stockName));
    });
}

} // namespace

void nameForScreenReaders(const SpokenControls& c)
{
    name(c.entryBox, u"Code入力"_s);
    name(c.quoteGrid, u"株価一覧"_s);
    name(c.indexChart, u"日経平均のチャート"_s);
    name(c.statusLine, u"ステータス行"_s);
    describe(c.dateLabel, u"日付"_s);
    describe(c.realTimeStatus, u"リアルタイム表示の状態"_s);
    describe(c.currentRowLabel, u"現在の行"_s);
    describe(c.nikkeiLine, u"日経平均株価"_s);
    for (int k = 0; k < int(c.thumbnails.size()); ++k) {
        name(c.thumbnails[k], u"チャート %1"_s.arg(k + 1));
        followCaption(c.thumbnails[k], c.thumbnailCaptions[k]);
    }
}

} // namespace tickora
