#include "JsonObjectSplitter.h"

namespace corvane
{

namespace
{
bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
} // namespace

qsizetype JsonObjectSplitter::objectEnd(QByteArrayView b, qsizetype from)
{
    int depth = 0;
    bool inString = false;
    for (qsizetype i = from; i < b.size(); ++i) {
        const char c = b[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            ++depth;
        } else if (c == '}' || c == ']') {
            if (--depth == 0)
                return i + 1;
        }
    }
    return -1;
}

int JsonObjectSplitter::split(QByteArrayView b, const std::function<void(QByteArrayView)> &onObject)
{
    int refused = 0;
    qsizetype i = 0;
    // A log file written by an editor may start with a byte-order mark.
    if (b.startsWith("\xEF\xBB\xBF"))
        i = 3;
    while (i < b.size()) {
        const char c = b[i];
        if (isSpace(c)) {
            ++i;
            continue;
        }
        if (c != '{') {
            ++refused;
            const qsizetype lineEnd = b.indexOf('\n', i);
            i = lineEnd < 0 ? b.size() : lineEnd + 1;
            continue;
        }
        const qsizetype end = objectEnd(b, i);
        if (end < 0)
            return refused + 1;
        if (end - i <= kMaxObjectSize)
            onObject(b.sliced(i, end - i));
        else
            ++refused;
        i = end;
    }
    return refused;
}

} // namespace corvane
