#include "sound/sound_play.h"

#include "sound/media_mng.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "sound/sound_mng.h"

CSoundEmitters g_SoundEmitters;

namespace {
int s_MusicVolume = 100;
int s_EffectVolume = 100;
int s_CurrentMusic = -1;
CGamePoint s_Listener;

SoundPointToScreen& PointToScreen() {
    static SoundPointToScreen f;
    return f;
}
} // namespace

int InitSound(const char* directory, plat::Window* window) {
    if (!g_SoundMng.Init(window, directory)) return 0;
    g_SoundMng.LoadResident();
    return 1;
}

void ReleaseSound() {
    g_SoundMng.StopAll();
    g_SoundMng.Release();
    s_CurrentMusic = -1;
}

void StopAllSounds() { g_SoundMng.StopAll(); }
void StopEffect(int id) { g_SoundMng.Stop(id); }

void SetSoundListener(const CGamePoint& point) { s_Listener = point; }
CGamePoint GetSoundListener() { return s_Listener; }

void SetSoundPointToScreen(SoundPointToScreen convert) { PointToScreen() = std::move(convert); }

int GetMusicVolume() { return s_MusicVolume; }
int GetEffectVolume() { return s_EffectVolume; }

int MusicAttenuation(int volume) {
    if (volume < 0) return -2000;
    if (volume > 100) return 0;
    if (volume == 0) return -10000;
    return (volume * 5 - 500) * 4;
}

void SetMusicVolume(int volume, int apply) {
    s_MusicVolume = std::clamp(volume, 0, 100);
    g_MediaMng.SetVolume(MusicAttenuation(s_MusicVolume), apply);
}

void SetEffectVolume(int volume) { s_EffectVolume = std::clamp(volume, 0, 100); }

void PlayMusicSound(int id, int loop) {
    if (s_MusicVolume <= 0) return;
    if (id != s_CurrentMusic) {
        if (s_CurrentMusic != -1) g_SoundMng.Unload(s_CurrentMusic);
        s_CurrentMusic = id;
        g_SoundMng.LoadOneSound(id);
    }
    g_SoundMng.Play(id, loop, s_MusicVolume, 0);
}

int GetCurrentMusicSound() { return s_CurrentMusic; }

void PlayEffect(int id, int loop, int percent, int pan) {
    // In 64 bits: a sound far off the screen gives a percent far below 0.
    const int64_t volume = int64_t(s_EffectVolume) * percent / 100;
    if (volume < 1) return;
    g_SoundMng.Play(id, loop, static_cast<int>(std::min<int64_t>(volume, INT32_MAX)), pan);
}

int SoundPercentForDistance(int distance) {
    if (distance <= 300) return 100;
    const int64_t p = 100 + (300 - static_cast<int64_t>(distance)) * 100 / 1200;
    return static_cast<int>(std::max<int64_t>(p, INT32_MIN));
}

int SoundPanFor(int soundX, int listenerX) {
    // Positive pans go to the right speaker: a sound right of the listener
    // is heard on the right.
    int64_t pan = (static_cast<int64_t>(soundX) - listenerX) * 6;
    if (pan == 0) pan = 1;
    return static_cast<int>(std::clamp<int64_t>(pan, -10000, 10000));
}

void PlayEffectAtScreen(int id, const CGamePoint& screen, int loop) {
    const double dx = static_cast<double>(screen.x) - s_Listener.x;
    const double dy = static_cast<double>(screen.y) - s_Listener.y;
    const double d = std::sqrt(dx * dx + dy * dy);
    const int distance = d >= 2147483647.0 ? 2147483647 : static_cast<int>(d);
    PlayEffect(id, loop, SoundPercentForDistance(distance), SoundPanFor(screen.x, s_Listener.x));
}

void PlayEffectAt(int id, const CGamePoint& world, int loop) {
    const CGamePoint screen = PointToScreen() ? PointToScreen()(world) : world;
    PlayEffectAtScreen(id, screen, loop);
}

void CSoundEmitters::Add(int id, int x, int y) { AddTail(new CSoundEmitter(id, x, y)); }

void CSoundEmitters::Restart() {
    for (CObjNode* n = Head(); n; n = n->Next()) StopEffect(static_cast<CSoundEmitter*>(n)->m_Id);
    for (CObjNode* n = Head(); n; n = n->Next()) {
        const auto* e = static_cast<CSoundEmitter*>(n);
        PlayEffectAt(e->m_Id, CGamePoint{e->m_X, e->m_Y}, 1);
    }
}
