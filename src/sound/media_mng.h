#pragma once
// Music and movie manager: two players side by side, so a new music track
// fades in on one while the old one fades out on the other. Levels are
// attenuations in hundredths of a decibel; -8000 counts as inaudible.
#include <cstdint>
#include <string>

#include "platform/display.h"
#include "sound/media_player.h"

namespace plat { class Window; }

class CMediaMng {
public:
    static constexpr int kInaudible = -8000;
    static constexpr int kFadeSteps = 200;

    CMediaMng();

    int Init(plat::Window* a, plat::Window* b);
    // Offered every window message first; 1 when it took the message.
    int OnWindowMessage(uint32_t message, uint32_t wParam, uint32_t lParam);
    // One cross-fade step per logic tick; whether the current player plays.
    int FadeStep();
    // Opens into the other player, which becomes current on success; on
    // failure the current player stays as it was.
    int Open(const std::string& file, plat::Window* owner);
    // rect null: see CMediaPlayer::SetVideoWindow.
    int SetVideoWindow(const plat::Rect* rect, int fit, int width, int height);
    int Play(int loop);
    void HideCursor(int show);
    int IsPlaying();
    void Stop();
    // The level every track opened from now on takes (the manager keeps it
    // through Init and Release). With apply an open current player takes it
    // at once (0 when it refuses the level: nothing is stored then).
    int SetVolume(int volume, int apply);
    void Release();
    int CrossFadeTo(const std::string& file, int loop);
    // Feeds the players' audio, shows movie frames and raises their events.
    // FadeStep, IsPlaying and OnWindowMessage call it; the main loop may
    // call it once a pass so sound and pictures keep flowing between ticks.
    void Pump();

    CMediaPlayer& Player(int i) { return m_Players[i & 1]; }
    int GetCurrent() const { return m_Current; }
    int GetVolume() const { return m_Volume; }
    int GetFadeOutStep() const { return m_FadeOut; }
    int GetFadeInStep() const { return m_FadeIn; }
    float GetFadeInFactor() const { return m_KIn; }
    float GetFadeOutFactor() const { return m_KOut; }

private:
    void SetFactors();
    void ResetFade();

    CMediaPlayer m_Players[2];
    int m_Volume = 0;  // full level until set
    int m_Current = 0;
    int m_FadeOut = -1;  // n
    int m_FadeIn = -1;   // m
    float m_KIn = 0.0f;
    float m_KOut = 0.0f;
};

extern CMediaMng g_MediaMng;
