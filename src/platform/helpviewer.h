#pragma once

#include <QPointer>
#include <QString>

class QTextBrowser;

namespace tickora {

/// Opens the help document. A missing file is the viewer's to report.
class HelpViewer
{
public:
    virtual ~HelpViewer() = default;
    virtual bool open(const QString& path) = 0;
};

/// Shows the help document (the program's own HTML file) in the program's own help window, a
/// QTextBrowser named "helpWindow", so it opens without a browser or a desktop launcher. Links
/// within the document are followed; any other link is left alone: nothing is opened outside the
/// window and the window keeps showing the document. A file that cannot be read is told in the
/// window itself. One window serves every call; it is raised when already open. Esc and Ctrl+W
/// close it; an open help window never keeps the program running on its own.
class HelpWindowViewer : public HelpViewer
{
public:
    HelpWindowViewer() = default;
    HelpWindowViewer(const HelpWindowViewer&) = delete;
    HelpWindowViewer& operator=(const HelpWindowViewer&) = delete;
    ~HelpWindowViewer() override;

    bool open(const QString& path) override;
    /// The help window while it exists (closing it destroys it).
    QTextBrowser* window() const;

private:
    QPointer<QObject> m_window; ///< the QTextBrowser, held as an object so this header needs no widgets
};

} // namespace tickora
