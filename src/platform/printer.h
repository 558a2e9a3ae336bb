#pragma once

#include <QImage>
#include <QString>

namespace tickora {

/// Prints a picture scaled to one page of the default printer.
class Printer
{
public:
    struct Result
    {
        bool printed = false;
        QString error;          ///< why nothing was printed, in Japanese
        bool noPrinter = false; ///< nothing was printed because there is no default printer
    };
    virtual ~Printer() = default;
    virtual Result printImage(const QImage& image) = 0;
};

class QtPrinter : public Printer
{
public:
    /// With a non-empty `pdfPath`, prints into that PDF file instead of the default printer.
    explicit QtPrinter(QString pdfPath = {}) : m_pdfPath(std::move(pdfPath)) {}
    Result printImage(const QImage& image) override;

private:
    QString m_pdfPath;
};

} // namespace tickora
