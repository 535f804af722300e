#pragma once

#include <QString>
#include <QStringList>

namespace corvane
{

// Finds report files by name: in the application folder first, where a
// user's own or edited files sit, then beside the executable, then in the
// installed data folder.
class ReportLocator
{
public:
    explicit ReportLocator(const QStringList &folders) : m_folders(folders) {}
    // The usual folders for an application folder.
    static ReportLocator forApplication(const QString &appFolder);

    static QString fileNameOf(const QString &reportName)
    {
        return reportName + QStringLiteral(".rpt");
    }

    // The path of the report NAME (base name, "allbydate"); empty when none
    // of the folders holds it.
    QString find(const QString &reportName) const;
    // Every report name found, each once.
    QStringList names() const;
    const QStringList &folders() const { return m_folders; }

private:
    QStringList m_folders;
};

} // namespace corvane
