#pragma once

#include <QByteArrayView>
#include <functional>

namespace corvane
{

// Finds the top-level JSON objects in a buffer: one, or several separated by
// white space or written back to back. Only the brackets and strings are
// followed; whether an object is well formed is for the parser to say. The
// buffer is scanned in place, so a broken or oversized object costs no
// memory of its own.
class JsonObjectSplitter
{
public:
    static constexpr qsizetype kMaxObjectSize = 64 * 1024;

    // Calls onObject for each object of at most kMaxObjectSize bytes.
    // Returns how many pieces were no object: an object too large or never
    // closed, or text that is no object (to the end of its line).
    static int split(QByteArrayView buffer, const std::function<void(QByteArrayView)> &onObject);

private:
    // The index just after the object that starts at from; -1 when the
    // buffer ends first.
    static qsizetype objectEnd(QByteArrayView buffer, qsizetype from);
};

} // namespace corvane
