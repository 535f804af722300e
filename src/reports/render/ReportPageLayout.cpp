#include "ReportPageLayout.h"

#include <QPainter>
#include <algorithm>

namespace corvane
{

namespace
{
constexpr double kPointsPerMm = 72.0 / 25.4;
constexpr double kCellGap = 4 * ReportPageLayout::kUnitsPerPoint;

QFont sized(double points, bool bold)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(qMax(1, qRound(points * ReportPageLayout::kUnitsPerPoint)));
    f.setBold(bold);
    return f;
}

int alignFlag(ReportColumn::Align align)
{
    switch (align) {
    case ReportColumn::Align::Right:
        return Qt::AlignRight;
    case ReportColumn::Align::Center:
        return Qt::AlignHCenter;
    case ReportColumn::Align::Left:
        break;
    }
    return Qt::AlignLeft;
}
} // namespace

ReportPageLayout::ReportPageLayout(const ReportDefinition &def, const QSizeF &pagePoints)
    : m_def(def), m_page(pagePoints * kUnitsPerPoint), m_font(sized(def.fontSize, false)),
      m_bold(sized(def.fontSize, true)), m_titleFont(sized(def.fontSize * 1.5, true)),
      m_metrics(m_font), m_lineHeight(m_metrics.lineSpacing()), m_ascent(m_metrics.ascent()),
      m_titleHeight(QFontMetricsF(m_titleFont).lineSpacing())
{
    // Columns wider than the page together shrink to fit it.
    double total = 0;
    for (const ReportColumn &c : def.columns)
        total += c.widthMm * kPointsPerMm * kUnitsPerPoint + kCellGap;
    const double scale = total > m_page.width() ? m_page.width() / total : 1.0;
    double x = 0;
    for (const ReportColumn &c : def.columns) {
        const double w = (c.widthMm * kPointsPerMm * kUnitsPerPoint + kCellGap) * scale;
        m_x.push_back(x);
        m_width.push_back(qMax(1.0, w - kCellGap * scale));
        x += w;
    }
    m_bodyTop = m_titleHeight + m_lineHeight * 2.6;
    m_bodyBottom = qMax(m_bodyTop + m_lineHeight * 3, m_page.height() - m_lineHeight * 2);
    // A row never runs over more than a page; a longer text is cut.
    m_maxLines = qMax(1, int((m_bodyBottom - m_bodyTop) / m_lineHeight) - 2);
}

void ReportPageLayout::scaleToUnits(QPainter &p, double dotsPerInch)
{
    const double factor = dotsPerInch / 72.0 / kUnitsPerPoint;
    p.scale(factor, factor);
}

qsizetype ReportPageLayout::fitLength(const QString &text, double width) const
{
    // The longest start of the text that fits, at least one character.
    qsizetype low = 1, high = text.size();
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (m_metrics.horizontalAdvance(text.left(mid)) <= width)
            low = mid;
        else
            high = mid - 1;
    }
    return low;
}

QStringList ReportPageLayout::wrapped(const QString &text, double width) const
{
    QStringList out;
    QString flat = text;
    flat.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    for (const QString &line : flat.split(u'\n')) {
        if (m_metrics.horizontalAdvance(line) <= width) {
            out << line;
            continue;
        }
        QString current;
        for (const QString &word : line.split(u' ')) {
            const QString tried = current.isEmpty() ? word : current + u' ' + word;
            if (m_metrics.horizontalAdvance(tried) <= width || current.isEmpty()) {
                current = tried;
            } else {
                out << current;
                current = word;
            }
            // A word longer than the column is cut at the column's edge.
            while (current.size() > 1 && m_metrics.horizontalAdvance(current) > width) {
                const qsizetype fit = fitLength(current, width);
                out << current.left(fit);
                current = current.mid(fit);
            }
            if (out.size() >= m_maxLines)
                return out.mid(0, m_maxLines);
        }
        out << current;
        if (out.size() >= m_maxLines)
            return out.mid(0, m_maxLines);
    }
    while (out.size() > 1 && out.last().trimmed().isEmpty())
        out.removeLast();
    return out;
}

std::vector<QStringList> ReportPageLayout::cells(const QStringList &values) const
{
    std::vector<QStringList> out;
    out.reserve(m_def.columns.size());
    for (size_t i = 0; i < m_def.columns.size(); ++i) {
        const QString &value = i < size_t(values.size()) ? values[qsizetype(i)] : QString();
        if (m_def.columns[i].wrap) {
            out.push_back(wrapped(value, m_width[i]));
        } else {
            QString flat = value;
            flat.replace(u'\r', u' ').replace(u'\n', u' ');
            out.push_back({m_metrics.horizontalAdvance(flat) <= m_width[i]
                               ? flat
                               : m_metrics.elidedText(flat, Qt::ElideRight, m_width[i])});
        }
    }
    return out;
}

double ReportPageLayout::rowHeight(const std::vector<QStringList> &cells) const
{
    qsizetype lines = 1;
    for (const QStringList &c : cells)
        lines = std::max(lines, c.size());
    return double(lines) * m_lineHeight;
}

double ReportPageLayout::rowHeight(const QStringList &values) const
{
    qsizetype lines = 1;
    for (size_t i = 0; i < m_def.columns.size() && i < size_t(values.size()); ++i)
        if (m_def.columns[i].wrap)
            lines = std::max(lines, wrapped(values[qsizetype(i)], m_width[i]).size());
    return double(lines) * m_lineHeight;
}

void ReportPageLayout::drawTabbed(QPainter &p, double y, const QString &text) const
{
    // "left<TAB>right" or "left<TAB>centre<TAB>right".
    const QStringList parts = text.split(u'\t');
    const QRectF line(0, y, m_page.width(), m_lineHeight * 1.5);
    if (parts.size() == 1) {
        p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, parts[0]);
        return;
    }
    p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, parts.first());
    p.drawText(line, Qt::AlignRight | Qt::AlignVCenter, parts.last());
    if (parts.size() > 2)
        p.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter,
                   parts.mid(1, parts.size() - 2).join(u' '));
}

void ReportPageLayout::drawPageFrame(QPainter &p, const QString &header,
                                     const QString &footer) const
{
    p.setPen(Qt::black);
    p.setFont(m_titleFont);
    const QStringList parts = header.split(u'\t');
    const QRectF titleLine(0, 0, m_page.width(), m_titleHeight);
    p.drawText(titleLine, Qt::AlignLeft | Qt::AlignVCenter, parts.first());
    if (parts.size() > 1) {
        p.setFont(m_font);
        p.drawText(titleLine, Qt::AlignRight | Qt::AlignVCenter, parts.mid(1).join(u' '));
    }
    p.setFont(m_bold);
    const double captionY = m_titleHeight + m_lineHeight * 0.8;
    for (size_t i = 0; i < m_def.columns.size(); ++i)
        p.drawText(QRectF(m_x[i], captionY, m_width[i], m_lineHeight),
                   alignFlag(m_def.columns[i].align) | Qt::AlignVCenter,
                   m_metrics.elidedText(m_def.columns[i].caption, Qt::ElideRight, m_width[i]));
    const double rule = captionY + m_lineHeight * 1.2;
    p.drawLine(QPointF(0, rule), QPointF(m_page.width(), rule));
    p.drawLine(QPointF(0, m_bodyBottom + m_lineHeight * 0.4),
               QPointF(m_page.width(), m_bodyBottom + m_lineHeight * 0.4));
    p.setFont(m_font);
    drawTabbed(p, m_bodyBottom + m_lineHeight * 0.5, footer);
}

void ReportPageLayout::drawRow(QPainter &p, double y, const std::vector<QStringList> &cells) const
{
    // Placed by hand from the baseline: much cheaper than laying each text
    // out in a rectangle, which counts on a report of many pages.
    p.setFont(m_font);
    for (size_t i = 0; i < cells.size(); ++i) {
        const ReportColumn::Align align = m_def.columns[i].align;
        double baseline = y + m_ascent;
        for (const QString &line : cells[i]) {
            double x = m_x[i];
            if (align != ReportColumn::Align::Left && !line.isEmpty()) {
                const double spare = m_width[i] - m_metrics.horizontalAdvance(line);
                x += align == ReportColumn::Align::Right ? spare : spare / 2;
            }
            if (!line.isEmpty())
                p.drawText(QPointF(x, baseline), line);
            baseline += m_lineHeight;
        }
    }
}

void ReportPageLayout::drawHeading(QPainter &p, double y, const QString &text) const
{
    p.setFont(m_bold);
    p.drawText(QRectF(0, y + m_lineHeight * 0.2, m_page.width(), m_lineHeight),
               Qt::AlignLeft | Qt::AlignTop, text);
}

void ReportPageLayout::drawNote(QPainter &p, double y, const QString &text) const
{
    p.setFont(m_font);
    p.drawText(QRectF(0, y, m_page.width(), m_lineHeight), Qt::AlignLeft | Qt::AlignTop, text);
}

} // namespace corvane
