#pragma once

#include "StoreGenerator.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace corvane::bench
{

// The store a benchmark reads: `--store DIR` names one (kept between runs;
// filled first when it holds no store yet), otherwise a temporary folder
// filled with the number of messages given as a bare argument.
class BenchStoreFolder
{
public:
    BenchStoreFolder(const QStringList &arguments, qint64 defaultMessages,
                     StoreGenerator::Options options = {});

    const QString &path() const { return m_path; }
    // A temporary folder for the benchmark's own files, removed at the end.
    QString scratch(const QString &name) const { return m_temporary.filePath(name); }

private:
    QTemporaryDir m_temporary;
    QString m_path;
};

} // namespace corvane::bench
