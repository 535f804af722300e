// The date and time reader of decoder text and of the store.
#include "FuzzReading.h"

#include "formats/CountedHeader.h"
#include "store/DayRange.h"
#include "store/MessageTime.h"

#include <cstdio>
#include <cstdlib>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytes(data, size);
    const QString text = QString::fromLatin1(bytes);
    (void)MessageTime::fromStorage(text);
    (void)DayRange::parseDate(text);
    (void)CountedHeader::bracketedTime(bytes);
    const auto time = MessageTime::parse(text);
    if (!time || !time->isValid())
        return 0;
    // A time read once is kept and read back unchanged.
    const auto stored = MessageTime::fromStorage(time->toStorage());
    if (!stored || !(*stored == *time)) {
        std::fprintf(stderr, "%s did not read back from the store\n",
                     qPrintable(time->toStorage()));
        std::abort();
    }
    (void)time->toDisplay();
    (void)time->toDayMonthYear();
    return 0;
}
