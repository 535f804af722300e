#pragma once

#include "formats/ImportObserver.h"

#include <QElapsedTimer>
#include <QTextStream>
#include <atomic>

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
    // The read stops once the flag is set (Ctrl-C); none by default.
    void setCancelFlag(const std::atomic_bool *flag) { m_cancel = flag; }
    bool cancelled() const override { return m_cancel && m_cancel->load(); }
    void done();

private:
    QTextStream &m_err;
    QElapsedTimer m_clock;
    bool m_terminal;
    bool m_drawn = false;
    const std::atomic_bool *m_cancel = nullptr;
};

} // namespace corvane
