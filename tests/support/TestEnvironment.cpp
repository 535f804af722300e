#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

namespace corvane::test
{

TestEnvironment::TestEnvironment() : m_dir(std::make_unique<QTemporaryDir>())
{
    QDir(m_dir->path()).mkpath(QStringLiteral("config"));
    QDir(m_dir->path()).mkpath(QStringLiteral("data"));
    qputenv("XDG_CONFIG_HOME", configDir().toUtf8());
    qputenv("XDG_DATA_HOME", path(QStringLiteral("xdgdata")).toUtf8());
    qunsetenv("CORVANE_DATA_DIR");
    QStandardPaths::setTestModeEnabled(false);
    resetSettings();
}

TestEnvironment::~TestEnvironment() = default;

QString TestEnvironment::dataDir() const
{
    return path(QStringLiteral("data"));
}

QString TestEnvironment::configDir() const
{
    return path(QStringLiteral("config"));
}

QString TestEnvironment::path(const QString &name) const
{
    return QDir(m_dir->path()).filePath(name);
}

QString TestEnvironment::newDataDir()
{
    const QString dir = path(QStringLiteral("data%1").arg(++m_serial));
    QDir().mkpath(dir);
    return dir;
}

QString TestEnvironment::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString p = path(name);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
    return p;
}

QString TestEnvironment::fixture(const QString &name)
{
    return QDir(QStringLiteral(CORVANE_TEST_DATA)).filePath(name);
}

QByteArray TestEnvironment::readFixture(const QString &name)
{
    QFile f(fixture(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestEnvironment::resetSettings()
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("ACARS Corvane"),
                QStringLiteral("ACARS Corvane"));
    s.clear();
    s.sync();
}

} // namespace corvane::test
