#pragma once

#include <array>
#include <memory>

#include "harvest/HarvestHost.h"
#include "harvest/RunState.h"
#include "net/PageSource.h"

namespace sowmere::harvest {

// The run's six source slots in their fixed order: Baidu, Google, Haosou, Sogou, Youdao, Bing.
// Google's slot does nothing. The slots keep the three references for as long as they live.
std::array<std::unique_ptr<EngineSlot>, 6> makeEngineSlots(net::PageSource& pages, RunState& state,
                                                           HarvestHost& host);

}  // namespace sowmere::harvest
