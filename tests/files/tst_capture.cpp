#include "files/capture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

QImage filled(QColor colour)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

} // namespace

class TestCapture : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fileNameOfADay_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("name");
        QTest::newRow("5 March 2013") << QDate(2013, 3, 5) << u"p13-03-05 .bmp"_s;
        QTest::newRow("year 2000") << QDate(2000, 1, 1) << u"p00-01-01 .bmp"_s;
    }
    void fileNameOfADay()
    {
        QFETCH(QDate, day);
        QFETCH(QString, name);
        QCOMPARE(captureFileName(day), name);
    }

    void savesIntoAMissingFolderAndReplacesTheSameDay()
    {
        QTemporaryDir tmp;
        QtPictures pictures;
        const QString picDir = tmp.filePath(u"pic"_s);
        QString path;
        QVERIFY(saveCapture(pictures, filled(Qt::red), picDir, QDate(2013, 3, 5), &path).isEmpty());
        QCOMPARE(path, QDir(picDir).filePath(u"p13-03-05 .bmp"_s));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(2), QByteArray("BM"));
        file.close();
        // Captures show the whole screen: folder and file are the owner's alone, and a folder
        // left open by an earlier version is narrowed.
        const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                                QFileDevice::WriteOther | QFileDevice::ExeOther;
        QCOMPARE(QFileInfo(picDir).permissions() & others, QFileDevice::Permissions());
        QCOMPARE(QFileInfo(path).permissions() & others, QFileDevice::Permissions());
        QVERIFY(QFile::setPermissions(picDir, QFileInfo(picDir).permissions() | QFileDevice::ReadOther |
                                                  QFileDevice::ExeOther));

        QVERIFY(saveCapture(pictures, filled(Qt::blue), picDir, QDate(2013, 3, 5)).isEmpty());
        QCOMPARE(QFileInfo(picDir).permissions() & others, QFileDevice::Permissions());
        QCOMPARE(QFileInfo(path).permissions() & others, QFileDevice::Permissions());
        QCOMPARE(QDir(picDir).entryList(QDir::Files | QDir::Hidden), QStringList{u"p13-03-05 .bmp"_s});
        QCOMPARE(pictures.load(path).pixelColor(10, 10), QColor(Qt::blue));

        QVERIFY(saveCapture(pictures, filled(Qt::green), picDir, QDate(2013, 3, 6)).isEmpty());
        QCOMPARE(QDir(picDir).entryList(QDir::Files).size(), 2);
    }

    void failuresAreReported()
    {
        QTemporaryDir tmp;
        QtPictures pictures;
        // A regular file where the pic folder should be.
        QFile blocker(tmp.filePath(u"pic"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QString problem = saveCapture(pictures, filled(Qt::red), tmp.filePath(u"pic"_s), QDate(2013, 3, 5));
        QVERIFY(problem.contains(u"保存できませんでした"_s));

        // A folder named like the day's file.
        QVERIFY(QDir().mkpath(tmp.filePath(u"pic2/p13-03-05 .bmp"_s)));
        problem = saveCapture(pictures, filled(Qt::red), tmp.filePath(u"pic2"_s), QDate(2013, 3, 5));
        QVERIFY(problem.contains(u"保存できませんでした"_s));
        QVERIFY(problem.contains(u"フォルダー"_s));

        problem = saveCapture(pictures, QImage(), tmp.filePath(u"pic3"_s), QDate(2013, 3, 5));
        QVERIFY(problem.contains(u"取り込めませんでした"_s));
    }

    void printsToAPdfFile()
    {
        QTemporaryDir tmp;
        const QString pdf = tmp.filePath(u"page.pdf"_s);
        QtPrinter printer(pdf);
        const Printer::Result result = printer.printImage(filled(Qt::darkCyan));
        QVERIFY2(result.printed, qPrintable(result.error));
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(5), QByteArray("%PDF-"));
        QVERIFY(file.readAll().contains("/Count 1")); // one page
    }

    void printingErrorsAreReported()
    {
        QTemporaryDir tmp;
        QtPrinter unwritable(tmp.filePath(u"missing/folder/page.pdf"_s));
        Printer::Result result = unwritable.printImage(filled(Qt::red));
        QVERIFY(!result.printed);
        QVERIFY(!result.noPrinter);
        QVERIFY(!result.error.isEmpty());
        result = QtPrinter(tmp.filePath(u"page.pdf"_s)).printImage(QImage());
        QVERIFY(!result.printed);
    }
};

QTEST_MAIN(TestCapture)
#include "tst_capture.moc"
