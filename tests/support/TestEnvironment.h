#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace corvane::test
{

// A private application folder and settings file for one test program:
// XDG_CONFIG_HOME points into a temporary folder, so the user's own
// settings are never read or written.
class TestEnvironment
{
public:
    TestEnvironment();
    ~TestEnvironment();

    QString dataDir() const;
    QString configDir() const;
    QString path(const QString &name) const;
    // A fresh, empty application folder below the temporary folder.
    QString newDataDir();
    // Writes bytes to a file below the temporary folder and returns its path.
    QString writeFile(const QString &name, const QByteArray &bytes);
    static QString fixture(const QString &name);
    static QByteArray readFixture(const QString &name);
    // Clears the settings file.
    void resetSettings();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    int m_serial = 0;
};

} // namespace corvane::test
