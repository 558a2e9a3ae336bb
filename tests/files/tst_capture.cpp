#include "files/capture.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

class TestCapture : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void savesAndPrints()
    {
        QTemporaryDir tmp;
        QtPictures pictures;
        QImage shot(64, 48, QImage::Format_RGB32);
        shot.fill(Qt::red);
        const QString picDir = tmp.filePath(u"pic"_s);
        QString path;
        QCOMPARE(saveCapture(pictures, shot, picDir, QDate(2013, 3, 5), &path), QString());
        QCOMPARE(path, picDir + u"/p13-03-05 .bmp"_s);
        QCOMPARE(pictureFormat(readFile(path)), "bmp");
        // Captures show the whole screen: group and others get no access (the low six bits).
        QCOMPARE((QFileInfo(picDir).permissions() | QFileInfo(path).permissions()).toInt() & 077, 0);
        QVERIFY(saveCapture(pictures, shot.scaled(32, 24), picDir, QDate(2013, 3, 5)).isEmpty());
        QCOMPARE(pictures.load(path).size(), QSize(32, 24)); // replaced

        // A file where the folder belongs, a folder where the day's file belongs, no picture.
        QVERIFY(QFile(tmp.filePath(u"file"_s)).open(QIODevice::WriteOnly));
        QVERIFY(QDir().mkpath(tmp.filePath(u"pic/p13-03-06 .bmp"_s)));
        for (const auto& [dir, mention] : {std::pair{u"file"_s, u"作成できません"_s},
                                           {u"pic"_s, u"同じ名前のフォルダー"_s},
                                           {u"new"_s, u"取り込めませんでした"_s}}) {
            const QString problem = saveCapture(pictures, dir == u"new"_s ? QImage() : shot,
                                                tmp.filePath(dir), QDate(2013, 3, 6));
            QVERIFY2(problem.startsWith(u"画面を保存できませんでした。"_s) && problem.contains(mention),
                     qPrintable(problem));
        }

        const QString pdf = tmp.filePath(u"page.pdf"_s);
        Printer::Result result = QtPrinter(pdf).printImage(shot);
        QVERIFY2(result.printed, qPrintable(result.error));
        QVERIFY(readFile(pdf).startsWith("%PDF-") && readFile(pdf).contains("/Count 1")); // one page
        result = QtPrinter(tmp.filePath(u"missing/page.pdf"_s)).printImage(shot);
        QVERIFY(!result.printed && !result.noPrinter && !result.error.isEmpty());
        QVERIFY(!QtPrinter(pdf).printImage(QImage()).printed);
        // Without a default printer the result says why (checked only where none is set up).
        if (QPrinterInfo::defaultPrinter().isNull()) {
            result = QtPrinter(QString()).printImage(shot);
            QVERIFY(!result.printed && result.noPrinter && result.error.contains(u"既定のプリンター"_s));
        }

        // What a print failure says, and always where the picture was saved.
        for (const auto& [failure, mention] :
             {std::pair{Printer::Result{false, u"x"_s, true}, u"既定のプリンター"_s},
              {Printer::Result{false, u"紙切れ"_s}, u"（紙切れ）"_s},
              {Printer::Result{}, u"（原因不明のエラー）"_s}}) {
            const QString text = printFailureMessage(failure, u"/d/p.bmp"_s);
            QVERIFY2(text.contains(mention) && text.contains(u"「/d/p.bmp」に保存"_s), qPrintable(text));
        }
    }
};

QTEST_MAIN(TestCapture)
#include "tst_capture.moc"
