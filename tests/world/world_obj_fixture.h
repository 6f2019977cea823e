#pragma once
// A weather-ready test with a world of its own made current, an optional
// square map and the world hooks put back afterwards.
#include <memory>

#include "weather_fixture.h"
#include "world/map/iso_grid.h"
#include "world/map/map_grid.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"
#include "world_fixture.h"

class WorldObjTest : public wxtest::WeatherTest {
protected:
    // Call first in SetUp; side 0 leaves the map out.
    void EnterWorld(int side) {
        savedWorldHooks_ = g_WorldHooks;
        world_ = std::make_unique<wtest::TestWorld>();
        world_->MakeCurrent();
        if (side > 0) {
            grid_.Create(side, side);
            g_CurMapGrid = &grid_;
            g_IsoGrid.SetView(0, 0, 0, 0);
        }
    }
    // Call in TearDown once the test's own objects are gone.
    void LeaveWorld() {
        world_.reset();
        ClearCurrentWorld();
        grid_.Clear();
        g_WorldHooks = savedWorldHooks_;
    }

    CMapGrid grid_;
    std::unique_ptr<wtest::TestWorld> world_;
    CWorldHooks savedWorldHooks_{};
};
