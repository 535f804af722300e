#pragma once

#include "NewPairsSink.h"

#include <QFile>

namespace corvane
{

// The file "new" in the application folder, rewritten for every log file.
class NewPairsFile : public NewPairsSink
{
public:
    static QString fileName() { return QStringLiteral("new"); }

    // Creates or replaces the file and writes its two header lines.
    bool open(const QString &appFolder, const QString &logName);
    void close();
    QString errorString() const { return m_file.errorString(); }
    void newPair(const QString &registration, const QString &flight) override;

private:
    QFile m_file;
};

} // namespace corvane
