#include "BenchStoreFolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

namespace corvane::bench
{

BenchStoreFolder::BenchStoreFolder(const QStringList &arguments, qint64 defaultMessages,
                                   StoreGenerator::Options options)
{
    options.messages = defaultMessages;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == u"--store" && i + 1 < arguments.size())
            m_path = arguments[++i];
        else
            options.messages = arguments[i].toLongLong();
    }
    if (m_path.isEmpty())
        m_path = m_temporary.path();
    if (QFile::exists(QDir(m_path).filePath(QStringLiteral("acarslog.db"))))
        return;
    std::printf("Filling a store with %lld messages...\n",
                static_cast<long long>(options.messages));
    std::fflush(stdout);
    QElapsedTimer t;
    t.start();
    StoreGenerator(options).generate(m_path);
    std::printf("generated in %.1f s\n", double(t.nsecsElapsed()) / 1e9);
    std::fflush(stdout);
}

} // namespace corvane::bench
