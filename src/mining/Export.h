#pragma once

#include <ctime>
#include <string>

#include "mining/ResultTable.h"
#include "text/Text.h"

namespace sowmere::mining {

// The export file's name without ".txt", from a local time: "2015年5月12日9;5;7" (GBK), no
// leading zeros.
text::Text exportFileName(const std::tm& localTime);

struct ExportOutcome {
    bool written = false;
    text::Text message;  // GBK, for the message box: where the file went, or why it could not
};

// Writes the whole table as tab-separated GBK lines with a header line into `directory` (file
// system encoding), named after `localTime`. A file of the same name is replaced in one step.
ExportOutcome exportResults(const ResultTable& table, const std::string& directory,
                            const std::tm& localTime);

}  // namespace sowmere::mining
