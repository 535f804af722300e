#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace corvane
{

class RecordReader;

namespace fuzz
{

// The bytes libFuzzer hands over, as the decoder text a reader gets.
QByteArray bytes(const uint8_t *data, size_t size);

// Reads all of the text with the reader as an import does, and checks what
// every reader promises: each step consumes text or ends it, and every
// record handed over has a time the store can keep.
void readAll(RecordReader &reader, const QByteArray &text);

// A folder for the work files some readers write ("bad.txt"), made once
// per process.
QString workFolder();

} // namespace fuzz

} // namespace corvane
