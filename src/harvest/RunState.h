#pragma once

#include <vector>

#include "text/Text.h"

namespace sowmere::harvest {

using text::Text;

// The values the mining run and the harvesters share for as long as the program runs. One
// instance, owned by the program and handed to both by reference.
struct RunState {
    int stopRequested = 1;           // non-zero: the user asked the run to stop
    int rowSerial = 0;               // serial of the last row appended; never reset by a run
    Text currentKeyword;             // the seed keyword of the line in hand
    Text failureLog;                 // one CR LF-ended line per failed lookup of the current run
    std::vector<Text> failureLines;  // the last finished run's failure lines
};

}  // namespace sowmere::harvest
