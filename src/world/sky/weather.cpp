#include "world/sky/weather.h"

#include <algorithm>

#include "core/packet.h"
#include "core/txt_table.h"
#include "gfx/light_grid.h"
#include "platform/random.h"
#include "sound/sound_play.h"
#include "world/sky/game_clock.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_hooks.h"
#include "world/scene/world_sound.h"

CWeather* g_Weather = nullptr;
CWorldSoundCalls g_WorldSound = {&PlayEffect, &StopEffect, &PlayMusicSound, &PlayEffectAt};

namespace {

constexpr int kSoundRain = 133;
constexpr int kSoundThunder = 134;
constexpr int kSoundWind = 162;

int Rnd() { return plat::Rand(); }

bool IsRainKind(int32_t k) { return k >= 1 && k <= 3; }
bool IsFlakeKind(int32_t k) { return k == 4 || k == 5; }

// An empty weight cell reads 65535 and would take all the remaining
// chance: it weighs nothing. A weight is a percentage, so ten of them
// never overflow a sum.
int32_t Weight(const CTxtRow& row, int col) {
    const int v = row.GetInt(col);
    return v == kTxtEmptyInt ? 0 : std::clamp(v, 0, 100);
}

// Levels index the 16 brightness tables; an empty cell (65535) would reach
// the light grid as 255.
int32_t LightLevel(const CTxtRow& row, int col) { return std::clamp(row.GetInt(col), 0, 15); }


} // namespace

void BuildWeatherPacket(int32_t kind, int32_t duration, uint8_t* out) {
    PacketFields f;
    f.type = kPacketWeather;
    f.weather = kind;
    f.duration = duration;
    WritePacket(f, out, kWeatherPacketSize);
}

// ------------------------------------------------------------ controller

CWeatherCtl::CWeatherCtl() { Reset(); }

CWeatherCtl::~CWeatherCtl() = default;

void CWeatherCtl::Tick() {
    if (m_Countdown-- <= 0) Reset();
}

void CWeatherCtl::SetWeather(int32_t kind, int32_t duration) {
    m_Kind = kind;
    m_Countdown = duration;
    if (kind == 9) m_Phase = 3;
}

void CWeatherCtl::LoadRecord(const CTxtRow* row) {
    if (!row) return;
    m_Loaded = 1;
    m_AmbientMode = row->GetInt(3);
    m_DayLevel = LightLevel(*row, 4);
    m_NightLevel = LightLevel(*row, 5);
    m_Column6 = row->GetInt(6);
    m_Total = 100;
    m_Cumulative[0] = 0;
    for (int k = 1; k <= 10; ++k) m_Cumulative[k] = m_Cumulative[k - 1] + Weight(*row, 6 + k);
    // A missing row leaves the weather without ambient sounds.
    m_pSoundRow = g_ScnSoundMdl.GetRow(row->GetInt(17));
    if (m_Cumulative[10] < 100) {
        const int32_t rest = 100 - m_Cumulative[10];
        for (int32_t& c : m_Cumulative) c += rest;
    }
    m_Countdown = 0;
    OnRecordLoaded();
}

void CWeatherRandom::Tick() {
    if (--m_Countdown > 0) return;
    const int r = Rnd() % 100;
    int32_t kind = 0;
    for (int k = 0; k <= 10; ++k)
        if (r <= m_Cumulative[k]) {
            kind = k;
            break;
        }
    const int32_t duration = 2000 + Rnd() % 4000;
    SetWeather(kind, duration);
}

void CWeatherRandom::SetWeather(int32_t kind, int32_t duration) {
    CWeatherCtl::SetWeather(kind, duration);
    // Clients reach kind 0 by their own countdown.
    if (kind == 0 || !g_CurScene) return;
    uint8_t packet[kWeatherPacketSize];
    BuildWeatherPacket(kind, duration, packet);
    g_CurScene->Broadcast(packet);
}

// --------------------------------------------------------- client weather

CWeather::CWeather() {
    m_Light = 0;
    m_Forced = -1;
    m_StoredMode = 0;
    Reset();
}

CWeather::~CWeather() {
    Reset();
    ReleaseEffects();
    ClearAmbientSounds();
    if (g_Weather == this) g_Weather = nullptr;
}

void CWeather::ClearAmbientSounds() {
    for (const CAmbientSound& s : m_Sounds)
        if (s.period == -1) g_WorldSound.stopEffect(s.id);
    m_Sounds.clear();
}

void CWeather::OnRecordLoaded() {
    m_Loaded = 1;
    m_FlashLevel = kFlashLevel;
    m_HalfDayLevel = m_DayLevel / 2;
    const int32_t lo = m_NightLevel, hi = m_DayLevel;
    for (int i = 0; i < 14; ++i) m_Daylight[i] = std::min(lo + (hi - lo) * i / 14, hi);
    for (int i = 14; i < 29; ++i) m_Daylight[i] = hi;
    for (int i = 0; i < 14; ++i) m_Daylight[29 + i] = std::max(hi - (hi - lo) * i / 14, lo);
    for (int i = 43; i < 48; ++i) m_Daylight[i] = lo;
    ApplyDaylight();
    SetAmbientMode(m_AmbientMode);
    ClearAmbientSounds();
    if (!m_pSoundRow) return;
    for (int col = 3; col < m_pSoundRow->GetCellCount(); col += 2) {
        const int id = m_pSoundRow->GetInt(col);
        if (id == kTxtEmptyInt) break;
        CAmbientSound s{id, m_pSoundRow->GetInt(col + 1)};
        m_Sounds.push_back(s);
        if (s.period == -1) g_WorldSound.playMusicSound(s.id, 1);
    }
}

void CWeather::ApplyDaylight() {
    const CGameClock* c = GetGameClock();
    const int idx = std::clamp(c->hour * 2 + (c->tick >= 750 ? 1 : 0), 0, 47);
    m_Default = m_Daylight[idx];
    if (m_Kind == 0 || m_Default < m_HalfDayLevel) SetLightLevel(m_Default);
}

void CWeather::SetLightLevel(int32_t level) {
    if (m_Forced != -1 || level == m_Light) return;
    m_Light = level;
    if (m_Kind != 0) {
        m_Rain.SetLevel(level);
        m_Wind.SetLevel(level);
    }
    if (WorldDisplayOption() == 1 && g_WorldHooks.invalidateView) g_WorldHooks.invalidateView();
}

void CWeather::SetLevel(int32_t level) {
    if (level == m_Forced) return;
    if (level < 1) {
        m_Forced = -1;
        SetLightLevel(m_Default);
    } else {
        m_Forced = -1;
        SetLightLevel(level);
        m_Forced = level;
    }
}

int32_t CWeather::GetLightLevelAt(int32_t x, int32_t y, int32_t flag) const {
    if (m_Forced != -1) return flag ? 15 : m_Forced;
    return g_LightGrid.LevelAt(x, y);
}

void CWeather::SetAmbientMode(int32_t mode) {
    m_StoredMode = mode;
    g_LightGrid.SetAmbientMode(mode, nullptr);
}

void CWeather::ApplyAmbientMode() { g_LightGrid.SetAmbientMode(m_Kind == 3 ? 2 : m_StoredMode, nullptr); }

void CWeather::EndKind(int32_t kind) {
    if (IsRainKind(kind)) {
        g_WorldSound.stopEffect(kSoundRain);
    } else if (kind == 9) {
        g_WorldSound.stopEffect(kSoundWind);
    } else if (IsFlakeKind(kind)) {
        m_Flakes.m_FullDensity = kind == 4 ? 1 : 0;
        m_Flakes.SetActive(0);
        m_Flakes.Create(m_Default);
    }
}

void CWeather::BeginKind(int32_t kind) {
    if (IsRainKind(kind)) {
        m_Phase = 0;
        m_Thunder = -1;
        m_Flash = -1;
        m_Rain.Reset(1);
        m_Rain.StopRain();
        m_Rain.Create(m_Default);
    } else if (IsFlakeKind(kind)) {
        if (m_Flakes.Count() == 0) m_Flakes.Create(m_Default);
        m_Flakes.SetActive(1);
    } else if (kind == 9) {
        if (m_Wind.Count() == 0) m_Wind.Create(m_Default);
        g_WorldSound.playEffect(kSoundWind, 1, 90, 0);
    }
}

void CWeather::SetWeather(int32_t kind, int32_t duration) {
    m_Duration = duration;
    EndKind(m_Kind);
    CWeatherCtl::SetWeather(kind, duration);
    BeginKind(kind);
    ApplyAmbientMode();
}

void CWeather::StartEffect() {
    if (IsRainKind(m_Kind)) {
        m_Phase = 2;
        g_WorldSound.playEffect(kSoundRain, 1, 100, 0);
        m_Rain.SetLightning(m_Kind == 3 ? 1 : 0);
        if (m_Kind == 3) m_Rain.SetLevel(m_Default);
        m_Rain.Reset(0);
        for (int i = 0; i < 40; ++i) m_Rain.Update();
    } else if (IsFlakeKind(m_Kind)) {
        m_Flakes.SetActive(1);
    }
}

void CWeather::TickFlashes() {
    bool roll = false;
    if (m_Phase == 1)
        roll = Rnd() % 50 == 2;
    else if (m_Phase == 2)
        roll = Rnd() % 150 == 2;
    if (roll && m_Flash <= 0) {
        m_Flash = 8 + Rnd() % 8;
        SetLightLevel(m_FlashLevel);
        if (Rnd() % 3 == 1) m_Thunder = 30 + Rnd() % 40;
    }
    if (m_Flash > 0) {
        --m_Flash;
        if (m_Flash <= 0) {
            SetLightLevel(m_Default);
        } else if (m_Flash % 2 == 0 && Rnd() % 3 == 1) {
            SetLightLevel(m_Light == m_FlashLevel ? m_Default : m_FlashLevel);
        }
    }
    if (m_Thunder > 0 && --m_Thunder == 0) g_WorldSound.playEffect(kSoundThunder, 0, 100, 0);
}

void CWeather::Tick() {
    CWeatherCtl::Tick();
    for (const CAmbientSound& s : m_Sounds) {
        if (s.period <= 2) continue;
        if (Rnd() % s.period == 1) {
            const int volume = 10 + Rnd() % 80;
            g_WorldSound.playEffect(s.id, 0, volume, 0);
        }
    }
    if (IsRainKind(m_Kind)) {
        switch (m_Phase) {
        case 0:
            if (m_Light < 7)
                m_Phase = 1;
            else if ((m_Duration - m_Countdown) % 10 == 0)
                SetLightLevel(m_Light - 1);
            break;
        case 1:
            if (Rnd() % 100 == 3) {
                const int32_t lightning = m_Kind == 3 ? 1 : 0;
                m_Rain.StartRain(lightning);
                if (lightning) m_Rain.SetLevel(m_Default);
                m_Phase = 2;
                g_WorldSound.playEffect(kSoundRain, 1, 100, 0);
            }
            break;
        case 2:
            if (m_Countdown < 201) {
                m_Phase = 3;
                m_Rain.StopRain();
            }
            break;
        case 3:
            if (m_Flash <= 0 && m_Light < m_Default && Rnd() % 10 == 0) SetLightLevel(m_Light + 1);
            break;
        default: break;
        }
        if (m_Phase >= 1 && m_Phase <= 3) {
            if (m_Kind != 3) TickFlashes();
            m_Rain.Update();
        }
    } else if (IsFlakeKind(m_Kind)) {
        m_Flakes.Update(m_Countdown);
    } else if (m_Kind == 9) {
        m_Wind.Update();
    }
    const int32_t t = GetGameClock()->tick;
    if (t == 0 || t == 750) ApplyDaylight();
}

void CWeather::Draw(CSurface* surface) {
    if (IsRainKind(m_Kind)) {
        if (m_Phase != 0) m_Rain.Draw(surface, nullptr);
    } else if (IsFlakeKind(m_Kind)) {
        m_Flakes.Draw(surface, nullptr);
    } else if (m_Kind == 9) {
        m_Wind.Draw(surface, nullptr);
    }
}

CAmbientEffect* CWeather::GetActiveEffect() {
    if (IsRainKind(m_Kind)) return &m_Rain;
    if (IsFlakeKind(m_Kind)) return &m_Flakes;
    if (m_Kind == 9) return &m_Wind;
    return nullptr;
}

void CWeather::RestoreEffects() {
    // Only the effects that were made before the mode change.
    if (m_Rain.Count()) m_Rain.Create(m_Light);
    if (m_Wind.Count()) m_Wind.Create(m_Light);
    if (m_Flakes.Count()) m_Flakes.Create(m_Default);
}

void CWeather::ReleaseEffects() {
    m_Rain.Release();
    m_Wind.Release();
    m_Flakes.Release();
}
