#pragma once

#include <string_view>

#include "text/Text.h"

namespace sowmere::harvest {

// What a harvester needs of the main window: the result table, the long-tail and delay boxes,
// and the event pump. The program implements it over the real window; tests over fakes.
class HarvestHost {
public:
    virtual ~HarvestHost() = default;

    virtual bool longTailTicked() = 0;  // read afresh at every call
    virtual int readDelayBox() = 0;     // the delay box as whole milliseconds

    virtual void processPendingEvents() = 0;
    virtual void delayWithEvents(int ms) = 0;

    virtual void appendRow() = 0;
    virtual int rowCount() = 0;
    virtual void setCell(int row, int column, std::string_view text) = 0;
};

// One source slot of the mining run: takes nothing and returns nothing; it reads the keyword
// from the run-wide state and writes rows and failure lines.
class EngineSlot {
public:
    virtual ~EngineSlot() = default;
    virtual void harvest() = 0;
};

}  // namespace sowmere::harvest
