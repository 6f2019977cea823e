#pragma once
// The weather of a scene. Kinds: 0 none; 1, 2 rain with flashes and
// thunder; 3 rain with lightning drawn in the streaks (ambient mode 2, no
// flashes); 4, 5 flakes; 9 wind; 6, 7, 8, 10 are chosen like the others but
// show nothing. The server side's scheduler (CWeatherRandom) picks a kind
// from the weights of the scene's table row and tells the clients with
// packet 12; the client's CWeather plays the effect, its sounds and flashes
// and lights the scene by the time of day.
#include <cstdint>
#include <vector>

#include "world/sky/weather_fx.h"

class CTxtRow;
class CSurface;

class CWeatherCtl {
public:
    CWeatherCtl();
    virtual ~CWeatherCtl();
    CWeatherCtl(const CWeatherCtl&) = delete;
    CWeatherCtl& operator=(const CWeatherCtl&) = delete;

    // Slot 1: countdown - 1; a countdown already at 0 or below resets.
    virtual void Tick();
    // Slot 2: kind and countdown; kind 9 also sets phase 3.
    virtual void SetWeather(int32_t kind, int32_t duration);
    // Slot 3: after LoadRecord.
    virtual void OnRecordLoaded() {}

    // Kind 0 for 1000 ticks, through slot 2.
    void Reset() { SetWeather(0, 1000); }
    // The scene's row of "ScnInfo.txt": ambient mode (column 3), day and
    // night levels (4, 5), column 6, the weights of kinds 1-10 (7-16) and
    // the key of its "ScnSoundMdl.txt" row (17). Weights under 100 leave
    // the rest to kind 0. Null is ignored.
    void LoadRecord(const CTxtRow* row);

    int32_t m_Kind = 0;
    int32_t m_Phase = 0;
    int32_t m_Countdown = 0;
    int32_t m_NightLevel = 0;
    int32_t m_DayLevel = 0;
    int32_t m_Column6 = 0;
    int32_t m_AmbientMode = 0;
    int32_t m_Total = 100;
    int32_t m_Cumulative[11] = {};
    int32_t m_Loaded = 0;
    const CTxtRow* m_pSoundRow = nullptr;
};

// The server's scheduler: a new kind from the weights when the countdown
// runs out, for 2000..5999 ticks.
class CWeatherRandom : public CWeatherCtl {
public:
    void Tick() override;
    // Every kind but 0 goes to the clients of the current scene as packet
    // 12: u8 12, u8 kind, u16 duration.
    void SetWeather(int32_t kind, int32_t duration) override;
};

// Packet 12 (4 bytes).
constexpr int kWeatherPacketSize = 4;
void BuildWeatherPacket(int32_t kind, int32_t duration, uint8_t* out);

struct CAmbientSound {
    int32_t id = 0;
    int32_t period = 0;  // -1: a looping track from the start
};

class CWeather : public CWeatherCtl {
public:
    static constexpr int32_t kFlashLevel = 33;

    CWeather();
    ~CWeather() override;

    void Tick() override;
    void SetWeather(int32_t kind, int32_t duration) override;
    void OnRecordLoaded() override;

    // A client joining during rain or flakes sees them at once.
    void StartEffect();
    void Draw(CSurface* surface);
    CAmbientEffect* GetActiveEffect();
    void SetAmbientMode(int32_t mode);
    // Mode 2 while the kind is 3, else the stored mode, to the light grid.
    void ApplyAmbientMode();
    // Forces a level; below 1 returns to the daylight level.
    void SetLevel(int32_t level);
    void SetLightLevel(int32_t level);
    // The forced level (15 with flag) when set, else the grid's level there.
    int32_t GetLightLevelAt(int32_t x, int32_t y, int32_t flag) const;
    // Around display-mode changes: the effect pictures are made again.
    void RestoreEffects();
    void ReleaseEffects();
    // The daylight level of the calendar's half hour, applied when the
    // weather lets it through.
    void ApplyDaylight();
    // Stops the looping ambient tracks and forgets the list (a new world).
    void ClearAmbientSounds();

    int32_t m_FlashLevel = kFlashLevel;
    int32_t m_HalfDayLevel = 0;
    int32_t m_Daylight[48] = {};
    int32_t m_Light = 0;
    int32_t m_Forced = -1;
    int32_t m_Default = 0;
    int32_t m_Duration = 0;
    CRainEffect m_Rain;
    CWindEffect m_Wind;
    CFlakeEffect m_Flakes;
    int32_t m_Thunder = -1;
    int32_t m_Flash = -1;
    std::vector<CAmbientSound> m_Sounds;
    int32_t m_StoredMode = 0;

private:
    void EndKind(int32_t kind);
    void BeginKind(int32_t kind);
    void TickFlashes();
};

// The client's weather (null without a client).
extern CWeather* g_Weather;
