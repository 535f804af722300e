#include "TextReportFile.h"

#include "store/OutputPathGuard.h"

namespace corvane
{

TextReportFile::TextReportFile(Store &store, const QString &path) : m_store(store), m_file(path) {}

bool TextReportFile::open()
{
    m_error = OutputPathGuard(m_store).refusal(m_file.fileName());
    if (!m_error.isEmpty())
        return false;
    if (!m_file.open(QIODevice::WriteOnly)) {
        m_error = m_file.errorString();
        return false;
    }
    return true;
}

void TextReportFile::line(const QString &text)
{
    m_file.write(text.toUtf8() + "\r\n");
}

bool TextReportFile::commit()
{
    if (!m_file.commit()) {
        m_error = m_file.errorString();
        return false;
    }
    return true;
}

} // namespace corvane
