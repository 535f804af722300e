// The file of messages a station kept for its server across a stop.
#include "FuzzReading.h"

#include "store/HeldMessagesFile.h"
#include "store/StoreError.h"

#include <QFile>
#include <cstdio>
#include <cstdlib>

using namespace corvane;

namespace
{
[[noreturn]] void stop(const char *why)
{
    std::fprintf(stderr, "%s\n", why);
    std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const HeldMessagesFile file(fuzz::workFolder());
    QFile out(file.path());
    if (!out.open(QIODevice::WriteOnly))
        stop("cannot write the work file");
    out.write(fuzz::bytes(data, size));
    out.close();
    try {
        const std::vector<MessageRecord> records = file.read();
        // What reads is written back and reads again the same.
        file.write(records);
        const std::vector<MessageRecord> again = file.read();
        if (again.size() != records.size())
            stop("held messages do not read back");
        for (size_t i = 0; i < records.size(); ++i)
            if (again[i].mText != records[i].mText || again[i].mReg != records[i].mReg ||
                !(again[i].mTime == records[i].mTime) || again[i].mFeed != records[i].mFeed)
                stop("a held message does not read back");
    } catch (const StoreError &e) {
        if (!e.message().contains(file.path()))
            stop("an error does not name the file");
    }
    return 0;
}
