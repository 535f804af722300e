#include "ReportPdf.h"

#include "ReportRenderer.h"
#include "reports/core/ReportError.h"

#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>

namespace corvane
{

QPageLayout ReportPdf::pageLayout(bool landscape)
{
    return QPageLayout(QPageSize(QPageSize::A4),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
}

int ReportPdf::write(ReportRenderer &renderer, const QString &path,
                     const std::function<void(int)> &pageDone)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw ReportError(ReportError::OutputFailed,
                          QStringLiteral("%1: %2").arg(path, file.errorString()));
    int pages = 0;
    {
        QPdfWriter writer(&file);
        writer.setResolution(300);
        writer.setPageLayout(pageLayout(renderer.definition().landscape));
        writer.setTitle(renderer.definition().title);
        writer.setCreator(QStringLiteral("ACARS Corvane"));
        pages = renderer.print(writer, pageDone);
    }
    if (!file.commit())
        throw ReportError(ReportError::OutputFailed,
                          QStringLiteral("%1: %2").arg(path, file.errorString()));
    return pages;
}

} // namespace corvane
