#pragma once

#include <QSaveFile>
#include <QString>

namespace corvane
{

class Store;

// A text report being written: UTF-8 lines ending in CR LF, refused when the
// path is one of the store's files, and put in place only by commit(), so a
// failed report leaves any older file as it was.
class TextReportFile
{
public:
    TextReportFile(Store &store, const QString &path);

    // False, with errorText() set, when the file may not or cannot be written.
    bool open();
    void line(const QString &text = {});
    bool commit();
    const QString &errorText() const { return m_error; }

private:
    Store &m_store;
    QSaveFile m_file;
    QString m_error;
};

} // namespace corvane
