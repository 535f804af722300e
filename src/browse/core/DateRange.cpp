#include "DateRange.h"

namespace corvane
{

DateRange &DateRange::current()
{
    static DateRange range;
    return range;
}

} // namespace corvane
