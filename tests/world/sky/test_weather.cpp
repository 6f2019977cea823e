// Weather controller, server scheduler and the client weather.
#include <algorithm>
#include <climits>

#include "core/msg_lists.h"
#include "../weather_fixture.h"
#include "world/scene/scn_mng.h"
#include "world/scene/view_tracker.h"

using namespace wxtest;

namespace {

std::vector<std::vector<uint8_t>> DrainClientList() {
    std::vector<std::vector<uint8_t>> out;
    while (CObjNode* n = g_ClientMsgList.Head()) {
        auto* m = static_cast<CClientMsgNode*>(n);
        out.emplace_back(m->m_pData, m->m_pData + m->m_Length);
        delete n;  // unlinks
    }
    return out;
}

datagen::ScnInfoRow Row(std::initializer_list<int> weights, int day = 15, int night = 15) {
    datagen::ScnInfoRow r;
    r.name = "Field";
    r.id = 1;
    r.dayLevel = day;
    r.nightLevel = night;
    int k = 0;
    for (int w : weights) r.weights[k++] = w;
    return r;
}

} // namespace

TEST_F(WeatherTest, WeightsAboveAndBelowHundredDriveTheScheduler) {
    const struct {
        std::initializer_list<int> weights;
        int32_t cumulative[11];
    } cases[] = {
        // Below 100: kind 0 gets the rest; the empty cell of kind 2 weighs nothing.
        {{30, -1, 20}, {50, 80, 80, 100, 100, 100, 100, 100, 100, 100, 100}},
        // Above 100: kinds past a cumulative 100 are never reached.
        {{60, 0, 0, 60, 10}, {0, 60, 60, 60, 120, 130, 130, 130, 130, 130, 130}},
        // Exactly 100, wind only.
        {{-1, -1, -1, -1, -1, -1, -1, -1, 100}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 100, 100}},
    };
    CScene scene("Field");
    scene.m_Trackers.AddTail(new CViewTracker);  // one client
    SetCurrentScene(&scene);
    DrainClientList();
    for (const auto& c : cases) {
        CWeatherRandom w;
        w.LoadRecord(LoadRows(Row(c.weights), {}));
        ASSERT_EQ(w.m_Loaded, 1);
        for (int k = 0; k <= 10; ++k) EXPECT_EQ(w.m_Cumulative[k], c.cumulative[k]) << k;
        EXPECT_EQ(w.m_Countdown, 0);
        plat::SRand(77);
        Lcg lcg{77};
        for (int i = 0; i < 300; ++i) {
            w.m_Countdown = 1;
            w.Tick();
            const int r = lcg.Next() % 100;
            int kind = 0;
            while (kind < 10 && r > c.cumulative[kind]) ++kind;
            const int duration = 2000 + lcg.Next() % 4000;
            ASSERT_EQ(w.m_Kind, kind) << "draw " << i << " r " << r;
            ASSERT_EQ(w.m_Countdown, duration);
            const auto sent = DrainClientList();
            if (kind == 0) {
                EXPECT_TRUE(sent.empty()) << "kind 0 is not sent";
            } else {
                ASSERT_EQ(sent.size(), 1u);
                const std::vector<uint8_t> want = {12, static_cast<uint8_t>(kind), static_cast<uint8_t>(duration & 0xFF),
                                                   static_cast<uint8_t>(duration >> 8)};
                EXPECT_EQ(sent[0], want);
            }
        }
        // While the countdown stays above 0 nothing is chosen.
        w.m_Countdown = 5;
        const int kind = w.m_Kind;
        w.Tick();
        EXPECT_EQ(w.m_Countdown, 4);
        EXPECT_EQ(w.m_Kind, kind);
    }
    SetCurrentScene(nullptr);
}

// Each weight counts 0-100, so no sum of ten can overflow.
TEST_F(WeatherTest, WeightsAreClampedEachToAHundred) {
    CWeatherRandom w;
    w.LoadRecord(LoadRows(Row({INT32_MAX, INT32_MAX, -50, 30, 250}), {}));
    const int32_t want[11] = {0, 100, 200, 200, 230, 330, 330, 330, 330, 330, 330};
    for (int k = 0; k <= 10; ++k) EXPECT_EQ(w.m_Cumulative[k], want[k]) << k;
}

// Light levels index 16 brightness tables: an empty cell (65535) or any
// value out of 0-15 is clamped, never handed on as 255.
TEST_F(WeatherTest, DayAndNightLevelsAreClampedToTheSixteenTables) {
    const struct {
        int day, night;
        int32_t wantDay, wantNight;
    } cases[] = {{65535, 65535, 15, 15}, {40, -3, 15, 0}, {12, 3, 12, 3}};
    for (const auto& c : cases) {
        CWeather w;
        w.LoadRecord(LoadRows(Row({}, c.day, c.night), {}));
        EXPECT_EQ(w.m_DayLevel, c.wantDay) << c.day;
        EXPECT_EQ(w.m_NightLevel, c.wantNight) << c.night;
        EXPECT_GE(*std::min_element(std::begin(w.m_Daylight), std::end(w.m_Daylight)), 0);
        EXPECT_LE(*std::max_element(std::begin(w.m_Daylight), std::end(w.m_Daylight)), 15);
        EXPECT_LE(w.m_Light, 15);
    }
}

TEST_F(WeatherTest, WeatherPacketAndBaseCountdown) {
    uint8_t p[kWeatherPacketSize] = {};
    BuildWeatherPacket(9, 0x1234, p);
    const uint8_t want[kWeatherPacketSize] = {12, 9, 0x34, 0x12};
    EXPECT_EQ(std::memcmp(p, want, sizeof p), 0);

    CWeatherCtl c;
    EXPECT_EQ(c.m_Kind, 0);
    EXPECT_EQ(c.m_Countdown, 1000);
    c.SetWeather(9, 2);
    EXPECT_EQ(c.m_Phase, 3);
    c.Tick();  // 2 -> 1
    c.Tick();  // 1 -> 0
    EXPECT_EQ(c.m_Kind, 9);
    c.Tick();  // was 0: reset one tick after reaching 0
    EXPECT_EQ(c.m_Kind, 0);
    EXPECT_EQ(c.m_Countdown, 1000);
}

TEST_F(WeatherTest, DaylightTableAndItsApplication) {
    CWeather w;
    w.LoadRecord(LoadRows(Row({}, 15, 3), {}));
    const int32_t want[48] = {3,  3,  4,  5,  6,  7,  8,  9,  9,  10, 11, 12, 13, 14, 15, 15,
                              15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 14,
                              13, 12, 11, 10, 9,  9,  8,  7,  6,  5,  4,  3,  3,  3,  3,  3};
    for (int i = 0; i < 48; ++i) EXPECT_EQ(w.m_Daylight[i], want[i]) << i;
    EXPECT_EQ(w.m_HalfDayLevel, 7);
    // 20:00 is entry 40.
    EXPECT_EQ(w.m_Default, 6);
    EXPECT_EQ(w.m_Light, 6);
    // The half hour turns at tick 750; the weather re-reads it then.
    GetGameClock()->tick = 749;
    TickGameClock();
    w.Tick();
    EXPECT_EQ(w.m_Light, 5);
    // Equal day and night levels: a constant table.
    CWeather flat;
    flat.LoadRecord(LoadRows(Row({}, 9, 9), {}));
    for (int32_t v : flat.m_Daylight) EXPECT_EQ(v, 9);
}

TEST_F(WeatherTest, ForcedLevelBlocksEveryChangeUntilReleased) {
    CWeather w;
    w.LoadRecord(LoadRows(Row({}, 12, 12), {}));
    ASSERT_EQ(w.m_Light, 12);
    g_LightGrid.Fill(4);
    EXPECT_EQ(w.GetLightLevelAt(0, 0, 0), 4);
    w.SetLevel(5);
    EXPECT_EQ(w.m_Light, 5);
    EXPECT_EQ(w.GetLightLevelAt(0, 0, 0), 5);
    EXPECT_EQ(w.GetLightLevelAt(0, 0, 1), 15);
    w.SetLightLevel(9);
    w.ApplyDaylight();
    EXPECT_EQ(w.m_Light, 5) << "blocked";
    w.SetLevel(8);
    EXPECT_EQ(w.m_Light, 8);
    w.SetLevel(0);
    EXPECT_EQ(w.m_Forced, -1);
    EXPECT_EQ(w.m_Light, 12) << "back to the daylight level";
    EXPECT_EQ(w.GetLightLevelAt(0, 0, 1), 4);
}

TEST_F(WeatherTest, LevelChangesRedrawTheViewOnlyInDisplayOptionOne) {
    CWeather w;
    for (int option : {0, 1, 2}) {
        DisplayOptionValue() = option;
        ViewRedraws() = 0;
        w.SetLightLevel(3 + option);
        w.SetLightLevel(3 + option);  // unchanged: nothing
        EXPECT_EQ(ViewRedraws(), option == 1 ? 1 : 0) << option;
    }
}

TEST_F(WeatherTest, AmbientSoundsByPeriod) {
    const datagen::ScnSoundRow row{4, "Birds", {{70, -1}, {71, 0}, {72, 1}, {73, 2}, {74, 3}, {65535, 9}, {75, 3}}};
    CWeather w;
    Sounds().clear();
    w.LoadRecord(LoadRows([] {
        auto r = Row({});
        r.soundRow = 4;
        return r;
    }(), {row}));
    ASSERT_EQ(w.m_Sounds.size(), 5u) << "the list ends at 65535";
    ASSERT_EQ(Sounds().size(), 1u);
    EXPECT_EQ(Sounds()[0], (SoundCall{'m', 70, 1, 0})) << "period -1 starts once as a looping track";
    Sounds().clear();
    GetGameClock()->tick = 1;
    int plays = 0;
    for (int i = 0; i < 900; ++i) {
        w.Tick();
        GetGameClock()->tick = 1;
    }
    for (const SoundCall& s : Sounds()) {
        ASSERT_EQ(s.what, 'p');
        ASSERT_EQ(s.id, 74) << "periods 0, 1 and 2 never play";
        EXPECT_EQ(s.loop, 0);
        EXPECT_GE(s.percent, 10);
        EXPECT_LE(s.percent, 89);
        ++plays;
    }
    EXPECT_GT(plays, 200);
    EXPECT_LT(plays, 400);
    Sounds().clear();
    w.ClearAmbientSounds();
    EXPECT_EQ(Sounds(), (std::vector<SoundCall>{{'s', 70, 0, 0}}));

    // A scene whose sound row is missing has no ambient sounds.
    CWeather quiet;
    quiet.LoadRecord(LoadRows([] {
        auto r = Row({});
        r.soundRow = 99;
        return r;
    }(), {row}));
    EXPECT_TRUE(quiet.m_Sounds.empty());
    EXPECT_EQ(quiet.m_pSoundRow, nullptr);
}

TEST_F(WeatherTest, RainPhasesFlashesAndThunderOverASeededRun) {
    CWeather w;
    w.LoadRecord(LoadRows(Row({}, 12, 12), {}));
    GetGameClock()->tick = 1;
    Sounds().clear();
    plat::SRand(2024);
    const int duration = 3000;
    w.SetWeather(1, duration);
    EXPECT_EQ(w.m_Phase, 0);
    int phase = 0, lastLight = w.m_Light;
    std::vector<int> flashStarts, thunders;
    int rainStart = -1, phase3 = -1, prevFlash = w.m_Flash;
    for (int t = 0; t < duration + 5 && w.m_Kind == 1; ++t) {
        const int countdownBefore = w.m_Countdown;
        const int lightBefore = w.m_Light;
        const size_t soundsBefore = Sounds().size();
        w.Tick();
        GetGameClock()->tick = 1;
        ASSERT_GE(w.m_Phase, phase) << "phases only advance";
        if (phase == 0 && w.m_Phase == 0) {
            // Darkening: one step every tenth tick of the weather.
            const int elapsed = duration - (countdownBefore - 1);
            EXPECT_EQ(w.m_Light, elapsed % 10 == 0 ? lightBefore - 1 : lightBefore) << t;
        }
        if (phase == 0 && w.m_Phase == 1) {
            EXPECT_LT(lightBefore, 7);
        }
        if (phase == 1 && w.m_Phase == 2) rainStart = t;
        if (phase == 2 && w.m_Phase == 3) {
            phase3 = t;
            EXPECT_LT(w.m_Countdown, 201);
            EXPECT_EQ(w.m_Rain.m_Active, 0) << "the streaks fade out";
        }
        phase = w.m_Phase;
        if (w.m_Flash > prevFlash && w.m_Flash >= 7) {
            flashStarts.push_back(t);
            EXPECT_LE(w.m_Flash, 14);
            EXPECT_GE(phase, 1);
        }
        prevFlash = w.m_Flash;
        if (w.m_Flash == 0 && lightBefore == CWeather::kFlashLevel) {
            EXPECT_EQ(w.m_Light, w.m_Default);
        }
        EXPECT_TRUE(w.m_Light == CWeather::kFlashLevel || w.m_Light <= 12) << w.m_Light;
        for (size_t i = soundsBefore; i < Sounds().size(); ++i) {
            const SoundCall& s = Sounds()[i];
            if (s.id == 134) {
                EXPECT_EQ(s, (SoundCall{'p', 134, 0, 100}));
                thunders.push_back(t);
            } else if (s.id == 133 && s.what == 'p') {
                EXPECT_EQ(s, (SoundCall{'p', 133, 1, 100}));
                EXPECT_EQ(t, rainStart) << "the rain sound starts with the rain";
            }
        }
        lastLight = w.m_Light;
    }
    (void)lastLight;
    EXPECT_GE(rainStart, 0);
    EXPECT_GT(phase3, rainStart);
    ASSERT_FALSE(flashStarts.empty());
    ASSERT_FALSE(thunders.empty());
    for (int t : thunders) {
        const bool follows = std::any_of(flashStarts.begin(), flashStarts.end(), [&](int s) {
            return t - s >= 29 && t - s <= 68;
        });
        EXPECT_TRUE(follows) << "thunder at " << t;
    }
    // The rain is over: sound 133 stops and the streaks go idle.
    EXPECT_EQ(w.m_Kind, 0);
    EXPECT_NE(std::find(Sounds().begin(), Sounds().end(), SoundCall{'s', 133, 0, 0}), Sounds().end());
}

TEST_F(WeatherTest, KindThreeNeverFlashesAndForcesAmbientModeTwo) {
    CWeather w;
    auto row = Row({}, 12, 12);
    row.ambientMode = 1;
    w.LoadRecord(LoadRows(row, {}));
    EXPECT_EQ(g_LightGrid.m_AmbientMode, 1);
    GetGameClock()->tick = 1;
    plat::SRand(5);
    w.SetWeather(3, 2500);
    EXPECT_EQ(g_LightGrid.m_AmbientMode, 2);
    bool raining = false;
    for (int t = 0; t < 2400; ++t) {
        w.Tick();
        GetGameClock()->tick = 1;
        ASSERT_NE(w.m_Light, CWeather::kFlashLevel);
        ASSERT_EQ(w.m_Thunder, -1);
        raining |= w.m_Phase == 2;
    }
    EXPECT_TRUE(raining);
    EXPECT_EQ(w.m_Rain.m_Lightning, 1);
    w.SetWeather(4, 100);
    EXPECT_EQ(g_LightGrid.m_AmbientMode, 1) << "the stored mode returns";
}

TEST_F(WeatherTest, RainReturnsToIdleOnceItsStreaksAreGone) {
    CRainEffect rain;
    rain.Create(5);
    rain.StartRain(0);
    plat::SRand(3);
    for (int i = 0; i < 50; ++i) rain.Update();
    EXPECT_GT(rain.m_Live, 0);
    rain.StopRain();
    for (int i = 0; i < 2000 && rain.m_Rate != -1; ++i) rain.Update();
    EXPECT_EQ(rain.m_Rate, -1) << "a live count of 0 ends the rain";
    EXPECT_EQ(rain.m_Live, 0);
}

TEST_F(WeatherTest, JoiningDuringRainFillsTheScreenAndFlakesSwitchOn) {
    CWeather w;
    w.LoadRecord(LoadRows(Row({}, 12, 12), {}));
    w.SetWeather(2, 3000);
    Sounds().clear();
    w.StartEffect();
    EXPECT_EQ(w.m_Phase, 2);
    EXPECT_EQ(Sounds(), (std::vector<SoundCall>{{'p', 133, 1, 100}}));
    EXPECT_GT(w.m_Rain.m_Live, 20);
    EXPECT_EQ(w.GetActiveEffect(), &w.m_Rain);
    w.SetWeather(5, 3000);
    EXPECT_EQ(w.GetActiveEffect(), &w.m_Flakes);
    EXPECT_EQ(w.m_Flakes.Count(), 200);
    EXPECT_EQ(w.m_Flakes.m_ActiveCount, w.m_Flakes.Count());
    // Ending kind 5 rebuilds the field without full density.
    w.SetWeather(9, 3000);
    EXPECT_EQ(w.m_Flakes.m_FullDensity, 0);
    EXPECT_EQ(w.m_Flakes.m_ActiveCount, 0);
    EXPECT_EQ(w.m_Flakes.Count(), 50) << "a quarter of 200 % of 100";
    EXPECT_EQ(Sounds().back(), (SoundCall{'p', 162, 1, 90}));
    w.SetWeather(0, 10);
    EXPECT_EQ(Sounds().back(), (SoundCall{'s', 162, 0, 0}));
    EXPECT_EQ(w.GetActiveEffect(), nullptr);
}
