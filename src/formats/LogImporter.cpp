#include "LogImporter.h"

#include "DecoderStream.h"
#include "ImportObserver.h"
#include "LogFormats.h"
#include "RecordLoop.h"
#include "RecordReader.h"
#include "store/NewPairsFile.h"
#include "store/ProcessedLogs.h"
#include "store/Recorder.h"
#include "store/Store.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace corvane
{

void ImportResult::count(StoreResult outcome)
{
    switch (outcome) {
    case StoreResult::Stored:
        ++stored;
        break;
    case StoreResult::Skipped:
        ++skipped;
        break;
    case StoreResult::Rejected:
        ++rejected;
        break;
    case StoreResult::Refused:
        ++notStored;
        break;
    }
}

void ImportResult::takeBack(qint64 messages)
{
    messages = std::min(messages, stored);
    stored -= messages;
    notStored += messages;
}

LogImporter::LogImporter(const QString &folder, Recorder &recorder)
    : m_folder(folder), m_recorder(recorder)
{
}

LogImporter::LogImporter(Store &store, Recorder &recorder) : LogImporter(store.folder(), recorder)
{
}

QStringList LogImporter::recordedNames(const QStringList &paths)
{
    QStringList names;
    for (const QString &p : paths)
        names << (paths.size() == 1 ? QFileInfo(p).absoluteFilePath() : QFileInfo(p).fileName());
    return names;
}

namespace
{
template <typename Listed> QStringList listedBefore(const QStringList &paths, Listed listed)
{
    const QStringList names = LogImporter::recordedNames(paths);
    QStringList before;
    for (qsizetype i = 0; i < paths.size(); ++i)
        if (listed(names[i]))
            before << paths[i];
    return before;
}
} // namespace

QStringList LogImporter::importedBefore(Store &store, const QStringList &paths)
{
    ProcessedLogs logs(store);
    return listedBefore(paths, [&logs](const QString &name) { return logs.contains(name); });
}

QStringList LogImporter::importedBefore(Recorder &recorder, const QStringList &paths)
{
    return listedBefore(
        paths, [&recorder](const QString &name) { return recorder.logEntry(name).listed; });
}

std::vector<ProcessedLogs::Entry> LogImporter::entries(Store &store, const QStringList &paths)
{
    ProcessedLogs logs(store);
    std::vector<ProcessedLogs::Entry> found;
    for (const QString &name : recordedNames(paths))
        found.push_back(logs.entry(name));
    return found;
}

QString LogImporter::newPairsPath() const
{
    return QDir(m_folder).filePath(NewPairsFile::fileName());
}

QString LogImporter::refusalText(const QString &path, const QString &why)
{
    return QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), why);
}

QString LogImporter::progressText(const QString &name, qint64 stored)
{
    return QStringLiteral("Processing log %1, record %2").arg(name).arg(stored);
}

std::vector<ImportResult> LogImporter::importFiles(const LogFormat &format,
                                                   const QStringList &paths,
                                                   ImportObserver *observer)
{
    std::vector<ImportResult> results;
    const QStringList names = recordedNames(paths);
    // Messages a live link holds for a server out of reach go first: an
    // import does not hold, and would drop them with a batch it fails.
    if (m_recorder.held() > 0) {
        ImportResult waiting;
        waiting.name = names.value(0);
        try {
            m_recorder.commitNow();
        } catch (const StoreError &e) {
            waiting.error = e.message();
        }
        if (m_recorder.held() > 0) {
            waiting.read = false;
            waiting.storeFailed = true;
            waiting.error = QStringLiteral("The store cannot take messages now (%1); %2 "
                                           "messages received live wait for it. Import once it "
                                           "takes them.")
                                .arg(m_recorder.awayReason(), QString::number(m_recorder.held()));
            if (observer)
                observer->message(waiting.error);
            results.push_back(waiting);
            return results;
        }
    }
    Recorder::BulkScope bulk(m_recorder);
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (observer && observer->cancelled())
            break;
        results.push_back(importFile(format, paths[i], names[i], observer));
        if (results.back().storeFailed || results.back().cancelled)
            break;
    }
    finishRun(observer);
    return results;
}

ImportResult LogImporter::importFile(const LogFormat &format, const QString &path,
                                     const QString &recordedName, ImportObserver *observer)
{
    ImportObserver none;
    ImportObserver &obs = observer ? *observer : none;
    ImportResult result;
    result.name = recordedName;

    DecoderStream stream;
    QString why;
    if (!stream.openFile(path, &why)) {
        result.read = false;
        result.error = QStringLiteral("Cannot open %1: %2").arg(path, why);
        obs.message(result.error);
        return result;
    }
    std::unique_ptr<RecordReader> reader = format.makeReader(m_folder);
    NewPairsFile newPairs;
    const auto ending = [&] {
        result.position = stream.position();
        result.size = stream.sourceSize();
        result.recordsStored = m_recorder.logRecordsStored();
        m_recorder.followLog({}, 0);
        newPairs.close();
    };
    try {
        // A log an earlier import read part-way goes on after what it read.
        const ProcessedLogs::Entry before = m_recorder.logEntry(recordedName);
        if (before.listed && !before.whole)
            result.resumedAfter = before.recordsRead;
        if (!newPairs.open(m_folder, recordedName))
            throw StoreError(
                QStringLiteral("Cannot write %1: %2").arg(newPairsPath(), newPairs.errorString()));
        if (!reader->acceptsHeading(stream)) {
            result.read = false;
            result.error = reader->refusalMessage();
            // A refused log stays listed, as one read before its heading was.
            if (!before.listed) {
                m_recorder.followLog(recordedName, 0);
                m_recorder.finishLog();
            }
            ending();
            obs.message(refusalText(path, result.error));
            return result;
        }
        m_recorder.followLog(recordedName, result.resumedAfter);
        RecordLoop::run(
            stream, *reader, m_recorder, &newPairs, obs, recordedName,
            [&recordedName] { return recordedName; }, result);
        result.cancelled = obs.cancelled();
        // Read part-way (a cancel), the log is listed with what was read.
        if (result.readToEnd)
            m_recorder.finishLog();
        else
            m_recorder.commitBatch();
        // A file of another decoder's making gives nothing but rejections.
        const QString refused = result.stored == 0 ? reader->refusalAfterRead() : QString();
        if (!refused.isEmpty()) {
            result.read = false;
            result.error = refused;
            ending();
            obs.message(refusalText(path, result.error));
            obs.finishLog();
            return result;
        }
    } catch (const StoreError &e) {
        m_recorder.rollbackBatch();
        result.takeBack(m_recorder.takeRolledBack());
        result.read = false;
        result.storeFailed = true;
        result.error = QStringLiteral("%1: %2").arg(recordedName, e.message());
        ending();
        obs.message(result.error);
        return result;
    }
    ending();
    // A stopped read still ends as a file does, but opens no editor the user
    // did not wait for.
    if (m_showNewPairs && !result.cancelled)
        obs.showNewPairs(newPairsPath());
    obs.status(QStringLiteral("Updating database..."));
    obs.status(QString());
    obs.finishLog();
    return result;
}

void LogImporter::finishRun(ImportObserver *observer)
{
    if (observer)
        observer->status(QStringLiteral("Updating 'Heard'"));
    m_recorder.refreshHeard();
    if (observer)
        observer->status(QString());
}

} // namespace corvane
