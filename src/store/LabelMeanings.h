#pragma once

#include <QString>
#include <vector>

namespace corvane
{

// The meanings of the ACARS labels of everyday traffic, which a new LABELS
// table starts with. The user may edit or add rows; a table that holds any
// row is left alone.
class LabelMeanings
{
public:
    struct Label {
        const char *code;
        const char *meaning;
    };

    static const std::vector<Label> &common();
};

} // namespace corvane
