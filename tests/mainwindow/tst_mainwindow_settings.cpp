// The main window on fakes: its look at start-up, the settings window and help.
#include "windowpages.h"

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTextBrowser>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

/// The first row of `image` that holds a dark pixel (text), or its height when none does.
int firstDarkRow(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                return y;
    return image.height();
}

} // namespace

class TestMainWindowSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A second running instance is refused with a message; only the holder goes on.
    void secondInstanceIsRefused()
    {
        FakeDialogs dialogs;
        FakeSingleInstance instance;
        QVERIFY(MainWindow::claimSingleInstance(instance, dialogs));
        instance.free = false;
        QVERIFY(!MainWindow::claimSingleInstance(instance, dialogs) && dialogs.shown.size() == 1);
    }

    // Each control stands in its place, at the fake screen's 96 DPI.
    void controlPlaces_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place");
        QTest::newRow("date") << u"dateLabel"_s << QRect(32, 24, 73, 17);
        QTest::newRow("refresh status") << u"realTimeStatus"_s << QRect(112, 24, 145, 20);
        QTest::newRow("current row") << u"currentRowLabel"_s << QRect(275, 24, 17, 17);
        QTest::newRow("Nikkei line") << u"nikkeiLine"_s << QRect(912, 32, 329, 17);
        QTest::newRow("entry box") << u"entryBox"_s << QRect(296, 19, 57, 23);
        QTest::newRow("mute box") << u"muteBox"_s << QRect(800, 24, 49, 20);
        QTest::newRow("quote grid") << u"quoteGrid"_s << QRect(56, 56, 832, 202);
        QTest::newRow("index chart") << u"indexChart"_s << QRect(912, 56, 257, 201);
        QTest::newRow("first rule") << u"topRule1"_s << QRect(0, 0, 1240, 1);
        QTest::newRow("second rule") << u"topRule2"_s << QRect(0, 0, 1280, 1);
        QTest::newRow("third rule") << u"topRule3"_s << QRect(0, 3, 1280, 1);
    }
    void controlPlaces()
    {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        Window w;
        w.make();
        const auto* control = w.form->centralWidget()->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
        QVERIFY(control);
        QCOMPARE(control->geometry(), place);
    }

    // Settings empties the grid (colours stay) in one window, removed by OK and not outliving the main
    // one.
    void settings()
    {
        Window w;
        QuoteGrid* g = w.make().findChild<QuoteGrid*>();
        QCOMPARE(g->cellText(0, grid::Time), u"  時 間 "_s); // the last header caption too
        const QMenu* file = w.form->findChild<QMenu*>(u"fileMenu"_s);
        QVERIFY(file && file->title() == u"ファイル"_s && file->actions().size() == 1); // "設定" alone
        // Drawn again once laid out, unwrapped; names centred down to row 12 until the grid has the
        // focus.
        QVERIFY(g->updatesEnabled() && !g->wordWrap());
        QStringList fonts; // the grid's, the Nikkei line's and the entry box's
        for (const QWidget* c : std::initializer_list<QWidget*>{g, w.label(u"nikkeiLine"_s), w.box()})
            fonts << c->font().family() + QString::number(c->font().pointSizeF()) +
                         u"b"_s.repeated(c->font().bold());
        QCOMPARE(QStringList({w.box()->toolTip(), w.box()->accessibleName(),
                              w.box()->palette().color(QPalette::Base).name()}),
                 QStringList({u"Code入力"_s, u"Code入力"_s, u"#e0e0e0"_s}));
        QCOMPARE(fonts,
                 QStringList({u"ＭＳ Ｐゴシック9"_s, u"ＭＳ Ｐゴシック9.75b"_s, u"ＭＳ Ｐゴシック11.25"_s}));
        QCOMPARE(g->item(12, grid::Name)->textAlignment(), int(Qt::AlignCenter));
        QCOMPARE(g->item(0, grid::Name)->textAlignment(),
                 g->item(0, grid::Price)->textAlignment());         // captions
        QCOMPARE(g->cellBackground(2, 0), g->cellBackground(1, 0)); // the row numbers' column is not striped
        // No header of the view's own: the first row holds the captions, the first column the row
        // numbers.
        QVERIFY(g->viewport()->geometry().topLeft() == QPoint(g->frameWidth(), g->frameWidth()));
        QStringList controls; // the window's controls but the thumbnails, in the order they are made
        for (const QWidget* c : w.form->centralWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!c->objectName().startsWith(u"thumbnail"_s))
                controls << c->objectName();
        QCOMPARE(controls, QStringList({u"dateLabel"_s, u"realTimeStatus"_s, u"currentRowLabel"_s,
                                        u"nikkeiLine"_s, u"entryBox"_s, u"muteBox"_s, u"quoteGrid"_s,
                                        u"indexChart"_s, u"topRule1"_s, u"topRule2"_s, u"topRule3"_s}));
        QList<int> widths; // at the fake screen's 96 DPI
        for (int c = 0; c <= grid::Time; ++c)
            widths << g->columnWidth(c);
        QCOMPARE(widths, QList<int>({27, 53, 133, 59, 59, 59, 73, 59, 59, 59, 59, 59, 59}));
        // Every other row grey from its code to its time, the last row included.
        QCOMPARE(g->cellBackground(12, grid::Code), QColor(0xE0, 0xE0, 0xE0));
        QCOMPARE(g->cellBackground(12, grid::Time), g->cellBackground(12, grid::Code));
        QVERIFY(g->cellBackground(11, grid::Code) != g->cellBackground(12, grid::Code));
        w.select(1, 1);
        QCOMPARE(g->item(12, grid::Name)->textAlignment(), int(Qt::AlignLeft | Qt::AlignVCenter));
        w.put(Cells{{12, 1, u"7203"_s}, {12, 12, u"15:00"_s}});
        g->setCellForeColor(12, grid::SellTarget, cellcolor::Red);
        w.trigger(u"settingsCommand"_s);
        QCOMPARE(rowTexts(*g, 12), QStringList(12));
        QCOMPARE(g->cellForeColor(12, grid::SellTarget), cellcolor::Red);
        QPointer<SettingsWindow> form = settingsWindows().value(0);
        QVERIFY(form && form->isVisible() && !form->testAttribute(Qt::WA_QuitOnClose));
        QVERIFY(form->findChild<QLabel*>(u"smallScreenNote"_s)->wordWrap()); // its long text takes two lines
        // The heading's one line stands at the top of its taller box.
        const QImage heading = form->findChild<QLabel*>(u"settingsHeading"_s)->grab().toImage();
        const int firstInk = firstDarkRow(heading);
        QVERIFY2(firstInk < heading.height() / 5, qPrintable(QString::number(firstInk)));
        // Grey, its font, its texts in their places (at the fake screen's 96 DPI), the resolution.
        QCOMPARE(form->grab().toImage().pixelColor(1, 1), QColor(0xE0, 0xE0, 0xE0));
        QList<int> places{form->width(), form->height()};
        QStringList texts{form->windowTitle(),
                          form->font().family() + QString::number(form->font().pointSizeF())};
        for (const QWidget* c : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            places << c->x() << c->y() << c->width() << c->height(), texts << c->property("text").toString();
        QCOMPARE(places,
                 QList<int>({362, 248, 24, 32, 313, 33, 208, 48, 97, 25, 16, 96, 337, 41, 272, 192, 57, 25}));
        QCOMPARE(texts,
                 QStringList({u"Form6"_s, u"ＭＳ Ｐゴシック9"_s,
                              u"現在使用中のディスプレの解像度   横\u3000Ｘ\u3000縦"_s, u"1920 x 1080"_s,
                              u"縦が800以下の場合リアルチャートは自動で小さく表示されます。"_s, u"ＯＫ"_s}));
        w.trigger(u"settingsCommand"_s);
        QCOMPARE(settingsWindows(), QList<SettingsWindow*>{form.data()});
        QTest::mouseClick(form->findChild<QPushButton*>(u"okButton"_s), Qt::LeftButton);
        QTRY_VERIFY(form.isNull());
        w.trigger(u"settingsCommand"_s);
        form = settingsWindows().value(0);
        QVERIFY(form && form->isVisible());
        w.form.reset();
        QVERIFY(form.isNull());
    }

    // The windows' fonts keep their sizes whatever size the desktop's default font has.
    void fontSizesWhateverTheDesktop()
    {
        const QFont desktop = QApplication::font();
        QApplication::setFont(QFont(desktop.family(), 14));
        const auto restore = qScopeGuard([&] { QApplication::setFont(desktop); });
        Window w;
        w.make();
        QList<qreal> sizes; // the grid's, the Nikkei line's, the entry box's and the settings window's
        for (const QWidget* c : std::initializer_list<QWidget*>{w.form->findChild<QuoteGrid*>(),
                                                                w.label(u"nikkeiLine"_s), w.box()})
            sizes << c->font().pointSizeF();
        sizes << SettingsWindow(96.0).font().pointSizeF();
        QCOMPARE(sizes, QList<qreal>({9, 9.75, 11.25, 9}));
    }

    // "設定" asks before it empties a grid holding codes; いいえ leaves grid and cycle; an empty grid
    // opens at once.
    void settingsAsksFirst_data()
    {
        QTest::addColumn<QString>("firstCode");  ///< row 1's code
        QTest::addColumn<QString>("secondCode"); ///< row 2's code
        QTest::addColumn<bool>("yes");           ///< the answer to the question, if asked
        QTest::addColumn<int>("asked");          ///< questions asked
        QTest::addColumn<bool>("emptied");       ///< rows 1 and 2 emptied
        QTest::addColumn<bool>("running");       ///< the cycle runs afterwards
        QTest::addColumn<bool>("opened");        ///< the settings window is open afterwards
        QTest::newRow("yes empties and stops")
            << u"7203"_s << u"6758"_s << true << 1 << true << false << true;
        QTest::newRow("no keeps grid and cycle")
            << u"7203"_s << u"6758"_s << false << 1 << false << true << false;
        QTest::newRow("one code is enough to ask")
            << u"6758"_s << QString() << false << 1 << false << true << false;
        QTest::newRow("no codes: opens at once")
            << QString() << QString() << false << 0 << true << false << true;
    }
    void settingsAsksFirst()
    {
        QFETCH(QString, firstCode);
        QFETCH(QString, secondCode);
        QFETCH(bool, yes);
        QFETCH(int, asked);
        QFETCH(bool, emptied);
        QFETCH(bool, running);
        QFETCH(bool, opened);
        Window w;
        serveOldPages(w);
        w.fakes.http.serve(u"/f?s="_s, chartPng(QSize(200, 100), Qt::blue), 200, "image/png");
        const Cells cells = {{1, 1, firstCode}, {2, 1, secondCode}, {2, 10, u"100"_s}};
        if (!firstCode.isEmpty())
            QVERIFY(start(w, cells));
        else
            w.make(), w.put(cells); // nothing to watch, nothing started
        w.drain();
        const bool hadPicture = w.child<PictureBox>(u"thumbnail0"_s)->hasPicture();
        w.fakes.dialogs.answers = {yes};
        w.fakes.dialogs.shown.clear();
        w.trigger(u"settingsCommand"_s);
        const auto& shown = w.fakes.dialogs.shown;
        QCOMPARE(shown.size(), asked);
        QCOMPARE(w.read(Cells{{1, 1, {}}, {2, 1, {}}, {2, 10, {}}}),
                 (emptied ? Cells{{1, 1, {}}, {2, 1, {}}, {2, 10, {}}} : cells));
        QCOMPARE(!w.stopped(), running);
        QCOMPARE(!settingsWindows().isEmpty(), opened);
        if (!shown.isEmpty())
            QVERIFY(shown[0].isQuestion &&
                    shown[0].text == u"ウォッチリストを空にして設定画面を開きますか？"_s);
        // Emptied rows show no thumbnail nor caption of the stocks they lost.
        QCOMPARE(w.child<PictureBox>(u"thumbnail0"_s)->hasPicture(), hadPicture && !emptied);
        QCOMPARE(w.child<ThumbCaption>(u"thumbnailCaption0"_s)->name().isEmpty(), emptied);
        for (SettingsWindow* form : settingsWindows())
            delete form;
    }

    // "ヘルプ" opens the program's own help window, with no browser; closing it leaves the cycle stopped.
    void helpOpensInItsOwnWindow()
    {
        Window w;
        serveOldPages(w);
        HelpWindowViewer viewer;
        Services services = w.fakes.services();
        services.help = &viewer;
        w.make(services);
        writeFile(w.fakes.config.dataFile(u"Auot.html"_s),
                  "<html><head><meta charset=\"utf-8\"></head><body><h1>Tickora ヘルプ</h1></body></html>");
        QVERIFY(start(w, Cells{{1, 1, u"7203"_s}}));
        QVERIFY(!w.stopped());
        w.trigger(u"helpCommand"_s);
        QTextBrowser* help = viewer.window();
        QVERIFY(help && help->isVisible() && help->objectName() == u"helpWindow"_s);
        QCOMPARE(help->toPlainText(), u"Tickora ヘルプ"_s);
        QVERIFY(w.stopped());
        help->close();
        QTRY_VERIFY(!viewer.window());
        w.drain();
        QVERIFY(w.stopped());
    }
};

QTEST_MAIN(TestMainWindowSettings)
#include "tst_mainwindow_settings.moc"
