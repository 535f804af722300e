#pragma once

#include "formats/ImportObserver.h"

#include <QElapsedTimer>
#include <QTextStream>

namespace corvane
{

// Progress of an import or live pass on stderr: a bar when stderr is a
// terminal, messages always.
class CliProgress : public ImportObserver
{
public:
    explicit CliProgress(QTextStream &err);

    void record(const QString &name, qint64 stored, qint64 position, qint64 size) override;
    void message(const QString &text) override;
    void done();

private:
    QTextStream &m_err;
    QElapsedTimer m_clock;
    bool m_terminal;
    bool m_drawn = false;
};

} // namespace corvane
