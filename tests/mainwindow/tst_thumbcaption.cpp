// The caption above a thumbnail: a name cut to its room, shown as plain text.
#include "mainwindow/thumbcaption.h"

#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

class TestThumbCaption : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A caption is cut again when its font grows, staying in its room; breaks and tabs show as blanks.
    void captionFollowsItsFont()
    {
        ThumbCaption caption;
        const QString name = u"ソフトバンクグループ株式会社 Holdings"_s;
        caption.setName(name);
        const int room = caption.fontMetrics().horizontalAdvance(name) / 2;
        caption.setSlotWidth(room);
        const QString atSmallFont = caption.text();
        QFont larger = caption.font();
        larger.setPointSizeF(larger.pointSizeF() * 2);
        caption.setFont(larger);
        QVERIFY(caption.text().size() < atSmallFont.size() && caption.width() <= room);
        caption.setSlotWidth(room * 8);
        caption.setName(u"A\rB\tC\nD"_s);
        QCOMPARE(caption.text(), u"A B C D"_s);
    }
};

QTEST_MAIN(TestThumbCaption)
#include "tst_thumbcaption.moc"
