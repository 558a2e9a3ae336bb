#include "printer.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

using namespace Qt::StringLiterals;

namespace tickora {

Printer::Result QtPrinter::printImage(const QImage& image)
{
    if (image.isNull())
        return {false, u"印刷する画像がありません"_s};
    std::unique_ptr<QPrinter> printer;
    if (m_pdfPath.isEmpty()) {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull())
            return {false, u"既定のプリンターが設定されていません"_s, true};
        printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    } else {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(m_pdfPath);
    }
    // Landscape suits a screen picture; the picture is stretched to the printable page.
    printer->setPageOrientation(QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(printer.get()))
        return {false, u"プリンターを使えませんでした"_s};
    const QRect page = painter.viewport();
    painter.drawImage(page, image);
    if (!painter.end())
        return {false, u"印刷に失敗しました"_s};
    return {true, {}};
}

} // namespace tickora
