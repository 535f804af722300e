#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace corvane
{

// One printed column of a report.
struct ReportColumn {
    enum class Align { Left, Right, Center };

    QString caption;
    QString field;
    double widthMm = 20;
    Align align = Align::Left;
    bool wrap = false; // long text runs on over several lines instead of being cut
    int line = 0;      // where the file declares it, for errors
};

// A report as its definition file describes it: what it reads and how each
// page looks. Built by ReportDefinitionParser.
struct ReportDefinition {
    QString fileName; // base name with extension, for messages
    QString title;
    QString query;
    int queryLine = 0;
    std::vector<ReportColumn> columns;
    QString groupField; // empty: no grouping
    QString groupCaption;
    int groupLine = 0;
    QString header = QStringLiteral("{Title}");
    QString footer = QStringLiteral("Printed {Printed}\tPage {Page} of {Pages}");
    bool landscape = false;
    double fontSize = 8; // points
    QStringList attach;  // "routes", "alerts": store files the query reads beside the messages

    bool needsPageCount() const
    {
        return header.contains(QLatin1String("{Pages}")) ||
               footer.contains(QLatin1String("{Pages}"));
    }
};

} // namespace corvane
