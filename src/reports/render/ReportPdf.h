#pragma once

#include <QPageLayout>
#include <QString>
#include <functional>

namespace corvane
{

class ReportRenderer;

// Writes a report as a PDF file, A4. The file appears whole or not at all:
// a failure part-way leaves an earlier file of that name as it was.
class ReportPdf
{
public:
    // Returns the page count; throws ReportError.
    static int write(ReportRenderer &renderer, const QString &path,
                     const std::function<void(int)> &pageDone = {});
    // The page a report is written on (and previewed as): A4, 12 mm margins.
    static QPageLayout pageLayout(bool landscape);
};

} // namespace corvane
