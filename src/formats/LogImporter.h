#pragma once

#include "ImportResult.h"
#include "store/ProcessedLogs.h"

#include <QStringList>
#include <vector>

namespace corvane
{

class Store;
class Recorder;
class ImportObserver;
struct LogFormat;

// The import run: each chosen file is handed to the reader of the log
// format, with the per-file steps around its record loop, then the heard
// flags are refreshed. The new-pairs file "new" is written to the store's
// folder.
class LogImporter
{
public:
    // The folder is the data folder (the new-pairs file, the readers' files).
    LogImporter(const QString &folder, Recorder &recorder);
    LogImporter(Store &store, Recorder &recorder);

    // Whether the observer is asked to show the new-pairs file after each
    // file (the setting "ShowNew"); off by default.
    void setShowNewPairs(bool on) { m_showNewPairs = on; }

    // The names the messages record: the absolute path for one file, the
    // bare names for several, as the file dialog gives them.
    static QStringList recordedNames(const QStringList &paths);
    // The paths whose name, as an import of these paths would record it, is
    // already in the processed-logs list.
    static QStringList importedBefore(Store &store, const QStringList &paths);
    static QStringList importedBefore(Recorder &recorder, const QStringList &paths);
    // What the processed-logs list says of each path.
    static std::vector<ProcessedLogs::Entry> entries(Store &store, const QStringList &paths);

    // Imports every file in order; a file that cannot be read is reported
    // and the run goes on, a store failure or a cancel stops it. The heard
    // flags are refreshed either way. A file an earlier import read
    // part-way goes on after the records it read; one read part-way now is
    // listed with the records read, so that nothing is stored twice.
    std::vector<ImportResult> importFiles(const LogFormat &format, const QStringList &paths,
                                          ImportObserver *observer);
    ImportResult importFile(const LogFormat &format, const QString &path,
                            const QString &recordedName, ImportObserver *observer);
    void finishRun(ImportObserver *observer);

    static QString progressText(const QString &name, qint64 stored);
    // Why a file was refused, as the user is told: the file's name first.
    static QString refusalText(const QString &path, const QString &why);

private:
    QString newPairsPath() const;

    QString m_folder;
    Recorder &m_recorder;
    bool m_showNewPairs = false;
};

} // namespace corvane
