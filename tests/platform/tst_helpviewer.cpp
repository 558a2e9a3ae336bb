// The help document in the program's own window.
#include "platform/helpviewer.h"
#include "support/files.h"

#include <QApplication>
#include <QDesktopServices>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

/// Notes every address handed to the desktop's handlers.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    explicit UrlCatcher(QStringList& taken) : m_taken(taken) {}
public Q_SLOTS:
    void take(const QUrl& url) { m_taken.append(url.toString()); }

private:
    QStringList& m_taken;
};

} // namespace

class TestHelpViewer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The help opens in the program's own window: links within the document are followed, any
    // other link opens nothing and leaves the document shown; a missing file is told in the window.
    void helpWindow_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("scrolls");
        QTest::newRow("a section") << u"#last"_s << true;
        QTest::newRow("a section, by the file's name") << u"help.html#last"_s << true;
        QTest::newRow("a web page") << u"https://example.com/#last"_s << false;
        QTest::newRow("a mail address") << u"mailto:someone@example.com"_s << false;
        QTest::newRow("another local file") << u"other.html#last"_s << false;
        QTest::newRow("a program") << u"file:///usr/bin/true"_s << false;
    }
    void helpWindow()
    {
        QFETCH(QString, link);
        QFETCH(bool, scrolls);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"help.html"_s);
        QString page = u"<html><head><meta charset=\"utf-8\"><title>ヘルプ</title></head><body>"
                       "<h1 id=\"top\">Tickora ヘルプ</h1><p><a href=\"%1\">リンク</a></p>"_s.arg(link);
        for (int i = 0; i < 200; ++i)
            page += u"<p>行 %1</p>"_s.arg(i);
        page += u"<h2 id=\"last\">最後の節</h2><p>終わり</p></body></html>"_s;
        writeFile(path, page.toUtf8());
        writeFile(dir.filePath(u"other.html"_s), "<html><body><h1>別の文書</h1></body></html>");
        QStringList handedOut; // whatever would go to a browser or another program
        UrlCatcher catcher(handedOut);
        for (const QString& scheme : {u"http"_s, u"https"_s, u"mailto"_s, u"file"_s})
            QDesktopServices::setUrlHandler(scheme, &catcher, "take");
        HelpWindowViewer viewer;
        QVERIFY(viewer.open(path));
        QTextBrowser* window = viewer.window();
        QVERIFY(window && window->isVisible() && window->objectName() == u"helpWindow"_s);
        QVERIFY(window->toPlainText().startsWith(u"Tickora ヘルプ"_s)); // the document, not its markup
        QVERIFY(!window->toPlainText().contains(u"<h1"_s));
        window->resize(400, 300);
        QApplication::processEvents();
        QCOMPARE(window->verticalScrollBar()->value(), 0);
        // A click on the link, as the user gives it.
        const QTextCursor found = window->document()->find(u"リンク"_s);
        QVERIFY(!found.isNull());
        QTextCursor inside(window->document());
        inside.setPosition(found.selectionStart() + 1);
        const QPoint at = window->cursorRect(inside).center();
        QVERIFY(window->anchorAt(at) == link);
        QSignalSpy clicked(window, &QTextBrowser::anchorClicked);
        QTest::mouseClick(window->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(clicked.size(), 1);
        QApplication::processEvents();
        QCOMPARE(window->verticalScrollBar()->value() > 0, scrolls);
        QCOMPARE(window->source().fileName(), u"help.html"_s);
        QVERIFY(window->toPlainText().startsWith(u"Tickora ヘルプ"_s));
        QCOMPARE(handedOut, QStringList());
        // A second call shows the same window; a missing file is told there.
        QVERIFY(!viewer.open(dir.filePath(u"missing.html"_s)));
        QCOMPARE(viewer.window(), window);
        QVERIFY(window->toPlainText().contains(u"missing.html"_s));
        for (const QString& notAFile : {dir.path(), u"/dev/null"_s}) // a folder, a device
            QVERIFY2(!viewer.open(notAFile) && window->toPlainText().contains(notAFile),
                     qPrintable(notAFile));
        for (const QString& scheme : {u"http"_s, u"https"_s, u"mailto"_s, u"file"_s})
            QDesktopServices::unsetUrlHandler(scheme);
        // Closing the window destroys it; the next call makes a new one.
        window->close();
        QTRY_VERIFY(!viewer.window());
        QVERIFY(viewer.open(path) && viewer.window() && viewer.window()->isVisible());
    }

    // Esc and Ctrl+W close the help window; left open, it keeps no program running.
    void helpWindowCloses_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::newRow("Esc") << QKeySequence(Qt::Key_Escape);
        QTest::newRow("Ctrl+W") << QKeySequence(Qt::CTRL | Qt::Key_W);
    }
    void helpWindowCloses()
    {
        QFETCH(QKeySequence, keys);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"help.html"_s);
        writeFile(path, "<html><body><h1>help</h1></body></html>");
        HelpWindowViewer viewer;
        QVERIFY(viewer.open(path));
        QVERIFY(QTest::qWaitForWindowActive(viewer.window()));
        // Not one of the windows whose closing ends the program (Qt's "last window closed" rule).
        QVERIFY(!viewer.window()->testAttribute(Qt::WA_QuitOnClose));
        QTest::keySequence(viewer.window(), keys);
        QTRY_VERIFY(!viewer.window());
    }
};

QTEST_MAIN(TestHelpViewer)
#include "tst_helpviewer.moc"
