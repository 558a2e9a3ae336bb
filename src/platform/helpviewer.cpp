#include "helpviewer.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace tickora {

namespace {

/// Whether `link`, as written in the document at `document`, points into that same document.
bool isWithinDocument(const QUrl& link, const QUrl& document)
{
    if (link.isRelative() && link.path().isEmpty())
        return true; // "#section"
    const QUrl target = document.resolved(link);
    return target.isLocalFile() && target.adjusted(QUrl::RemoveFragment) == document;
}

QTextBrowser* makeWindow()
{
    auto* browser = new QTextBrowser;
    browser->setObjectName(u"helpWindow"_s);
    browser->setAttribute(Qt::WA_DeleteOnClose);
    // An open help window does not keep the program running once its main window is closed.
    browser->setAttribute(Qt::WA_QuitOnClose, false);
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)})
        QObject::connect(new QShortcut(keys, browser), &QShortcut::activated, browser, &QWidget::close);
    browser->setWindowTitle(u"Tickora ヘルプ"_s);
    // Links are followed here, by hand: only those within the document.
    browser->setOpenLinks(false);
    browser->setOpenExternalLinks(false);
    QObject::connect(browser, &QTextBrowser::anchorClicked, browser, [browser](const QUrl& link) {
        if (isWithinDocument(link, browser->source()) && !link.fragment().isEmpty())
            browser->scrollToAnchor(link.fragment());
    });
    const QSize screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableSize()
                                                          : QSize(1024, 768);
    browser->resize(QSize(760, 640).boundedTo(screen));
    return browser;
}

} // namespace

HelpWindowViewer::~HelpWindowViewer()
{
    delete m_window.data();
}

QTextBrowser* HelpWindowViewer::window() const
{
    return qobject_cast<QTextBrowser*>(m_window.data());
}

bool HelpWindowViewer::open(const QString& path)
{
    if (!m_window)
        m_window = makeWindow();
    QTextBrowser* const browser = window();
    const bool readable = QFileInfo(path).isFile() && QFile(path).open(QIODevice::ReadOnly);
    if (readable) {
        browser->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()),
                           QTextDocument::HtmlResource);
    } else {
        browser->setSource(QUrl());
        browser->setPlainText(u"ヘルプファイルを開けません: "_s + path);
    }
    browser->show();
    browser->raise();
    browser->activateWindow();
    return readable;
}

} // namespace tickora
