#pragma once

#include <QString>

namespace tickora {

/// Opens the help document with a viewer of the platform. A missing file is the viewer's to report.
class HelpViewer
{
public:
    virtual ~HelpViewer() = default;
    virtual bool open(const QString& path) = 0;
};

/// Opens the document with the desktop's handler for its type (a web browser for HTML).
class DesktopHelpViewer : public HelpViewer
{
public:
    bool open(const QString& path) override;
};

} // namespace tickora
