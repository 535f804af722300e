#pragma once

#include "reports/core/ReportDefinition.h"

#include <QFont>
#include <QFontMetricsF>
#include <QSizeF>
#include <QStringList>
#include <vector>

class QPainter;

namespace corvane
{

// The geometry of a report's pages and the drawing of their parts. Works in
// units of a tenth of a point whatever the device, so a page breaks at the
// same row on screen, on paper and in a PDF.
class ReportPageLayout
{
public:
    static constexpr double kUnitsPerPoint = 10;

    // pagePoints: the printable area of a page, in points.
    ReportPageLayout(const ReportDefinition &def, const QSizeF &pagePoints);

    double bodyTop() const { return m_bodyTop; }
    double bodyBottom() const { return m_bodyBottom; }
    double lineHeight() const { return m_lineHeight; }
    double headingHeight() const { return m_lineHeight * 1.2; }

    // The cells of a row as printed: wrapped or cut to their column.
    std::vector<QStringList> cells(const QStringList &values) const;
    double rowHeight(const std::vector<QStringList> &cells) const;
    // The same height from the values, measuring only the wrapping columns:
    // what counting the pages needs.
    double rowHeight(const QStringList &values) const;

    void drawPageFrame(QPainter &p, const QString &header, const QString &footer) const;
    void drawRow(QPainter &p, double y, const std::vector<QStringList> &cells) const;
    void drawHeading(QPainter &p, double y, const QString &text) const;
    void drawNote(QPainter &p, double y, const QString &text) const;

    // Scales a painter whose device has the given resolution to layout units.
    static void scaleToUnits(QPainter &p, double dotsPerInch);

private:
    QStringList wrapped(const QString &text, double width) const;
    qsizetype fitLength(const QString &text, double width) const;
    void drawTabbed(QPainter &p, double y, const QString &text) const;

    const ReportDefinition &m_def;
    QSizeF m_page;
    QFont m_font;
    QFont m_bold;
    QFont m_titleFont;
    QFontMetricsF m_metrics;
    double m_lineHeight;
    double m_ascent;
    double m_titleHeight;
    double m_bodyTop;
    double m_bodyBottom;
    int m_maxLines;
    std::vector<double> m_x;
    std::vector<double> m_width;
};

} // namespace corvane
