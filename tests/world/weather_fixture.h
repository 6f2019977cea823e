#pragma once
// Weather tests: a headless 5-6-5 display with colour tables, a 640 x 480
// view, recorded weather sounds and display-option and redraw hooks.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/directories.h"
#include "core/txt_table.h"
#include "datagen/scene_tables.h"
#include "datagen/table_writer.h"
#include "gfx/color_tables.h"
#include "gfx/light_grid.h"
#include "gfx/pixel_format.h"
#include "gfx/surface.h"
#include "platform/display.h"
#include "platform/random.h"
#include "platform/window.h"
#include "support/display565.h"
#include "support/test_env.h"
#include "world/sky/game_clock.h"
#include "world/sky/weather.h"
#include "world/scene/world_hooks.h"
#include "world/scene/world_sound.h"

namespace wxtest {

// The classic generator, to predict the game's draws.
struct Lcg {
    uint32_t state;
    int Next() {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    }
};

struct SoundCall {
    char what;  // 'p' effect, 's' stop, 'm' music track, 'a' effect at a world point
    int id;
    int loop;
    int percent;
    bool operator==(const SoundCall&) const = default;
};

inline std::vector<SoundCall>& Sounds() {
    static std::vector<SoundCall> calls;
    return calls;
}
inline std::vector<CGamePoint>& SoundPoints() {
    static std::vector<CGamePoint> points;
    return points;
}
inline int& DisplayOptionValue() {
    static int v = 2;
    return v;
}
inline int& ViewRedraws() {
    static int n = 0;
    return n;
}

using vtest::ReadSurface;

class WeatherTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        vtest::Start565Display(display_, keeper_);
        SetView(640, 480);
        Sounds().clear();
        SoundPoints().clear();
        ViewRedraws() = 0;
        DisplayOptionValue() = 2;
        savedSound_ = g_WorldSound;
        g_WorldSound.playEffect = [](int id, int loop, int percent, int) {
            Sounds().push_back({'p', id, loop, percent});
        };
        g_WorldSound.stopEffect = [](int id) { Sounds().push_back({'s', id, 0, 0}); };
        g_WorldSound.playMusicSound = [](int id, int loop) { Sounds().push_back({'m', id, loop, 0}); };
        g_WorldSound.playEffectAt = [](int id, const CGamePoint& p, int loop) {
            Sounds().push_back({'a', id, loop, 0});
            SoundPoints().push_back(p);
        };
        savedHooks_ = g_WorldHooks;
        g_WorldHooks.getDisplayOption = [] { return DisplayOptionValue(); };
        g_WorldHooks.invalidateView = [] { ++ViewRedraws(); };
        g_LightGrid.m_AmbientMode = -1;
        ResetGameClock();
        plat::SRand(1);
    }
    void TearDown() override {
        g_ScnSoundMdl.Clear();
        scnInfo_.Clear();
        g_WorldSound = savedSound_;
        g_WorldHooks = savedHooks_;
        keeper_.reset();
        display_.reset();
        FreeColorTables();
        ResetGameClock();
        TempDirTest::TearDown();
    }

    static void SetView(int32_t w, int32_t h) {
        ViewRect r;
        r.width = w;
        r.height = h;
        SetViewRect(r);
    }

    // One scene row (key 1) and the sound rows; returns the scene row.
    const CTxtRow* LoadRows(const datagen::ScnInfoRow& info, const std::vector<datagen::ScnSoundRow>& sounds) {
        datagen::Table s{datagen::ScnSoundHeader()};
        for (const auto& r : sounds) s.push_back(datagen::BuildScnSoundRow(r));
        EXPECT_TRUE(datagen::WriteTable(Dir() + "ScnSoundMdl.txt", s));
        g_ScnSoundMdl.Load("ScnSoundMdl.txt", 0, 1, 1);
        datagen::Table t{datagen::ScnInfoHeader(), datagen::BuildScnInfoRow(info)};
        EXPECT_TRUE(datagen::WriteTable(Dir() + "ScnInfo.txt", t));
        EXPECT_EQ(scnInfo_.Load("ScnInfo.txt", 1, 1, 1), 1);
        return scnInfo_.GetRow(info.id);
    }

    std::unique_ptr<CSurface> display_;
    std::unique_ptr<CSurface> keeper_;
    CTxtTable scnInfo_;
    CWorldSoundCalls savedSound_{};
    CWorldHooks savedHooks_{};
};

} // namespace wxtest
