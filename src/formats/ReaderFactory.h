#pragma once

#include <QString>
#include <memory>

namespace corvane
{

class RecordReader;

// Makes a format's record reader. workFolder is the application folder,
// where a reader that leaves a work file of its own writes it.
using ReaderFactory = std::unique_ptr<RecordReader> (*)(const QString &workFolder);

} // namespace corvane
