#include "harvest/Engines.h"

#include "harvest/EngineHarvester.h"
#include "harvest/EngineProfile.h"

namespace sowmere::harvest {

std::array<std::unique_ptr<EngineSlot>, 6> makeEngineSlots(net::PageSource& pages, RunState& state,
                                                           HarvestHost& host) {
    auto engine = [&](const EngineProfile& profile) -> std::unique_ptr<EngineSlot> {
        return std::make_unique<EngineHarvester>(profile, pages, state, host);
    };
    return {engine(baiduProfile()), std::make_unique<IdleSlot>(), engine(haosouProfile()),
            engine(sogouProfile()), engine(youdaoProfile()),      engine(bingProfile())};
}

}  // namespace sowmere::harvest
