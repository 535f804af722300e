#include "NewPairsFile.h"

#include "store/TextCodec.h"

#include <QDir>

namespace corvane
{

bool NewPairsFile::open(const QString &appFolder, const QString &logName)
{
    close();
    m_file.setFileName(QDir(appFolder).filePath(fileName()));
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    m_file.write(TextCodec::encode(QStringLiteral("New Aircraft/Flight Numbers for Log File ") +
                                   logName + QStringLiteral("\r\n\r\n")));
    return true;
}

void NewPairsFile::close()
{
    if (m_file.isOpen())
        m_file.close();
}

void NewPairsFile::newPair(const QString &registration, const QString &flight)
{
    if (m_file.isOpen())
        m_file.write(TextCodec::encode(registration + u'\t' + flight + QStringLiteral("\r\n")));
}

} // namespace corvane
