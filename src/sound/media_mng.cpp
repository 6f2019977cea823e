#include "sound/media_mng.h"

#include <cmath>

#include "platform/audio.h"

CMediaMng g_MediaMng;

CMediaMng::CMediaMng() { ResetFade(); }

void CMediaMng::SetFactors() {
    m_KIn = static_cast<float>((m_Volume + 8000) / std::sqrt(200.0));
    m_KOut = static_cast<float>(m_Volume + 8000) / (200.0f * 200.0f);
}

void CMediaMng::ResetFade() {
    m_Current = 0;
    m_FadeOut = -1;
    m_FadeIn = -1;
    SetFactors();
}

int CMediaMng::Init(plat::Window* a, plat::Window* b) {
    if (!m_Players[0].CreateFor(a, b)) return 0;
    if (!m_Players[1].CreateFor(a, b)) return 0;
    ResetFade();
    return 1;
}

void CMediaMng::Pump() {
    m_Players[0].Update();
    m_Players[1].Update();
}

int CMediaMng::OnWindowMessage(uint32_t message, uint32_t wParam, uint32_t lParam) {
    Pump();
    return m_Players[m_Current].OnMessage(message, wParam, lParam);
}

int CMediaMng::Open(const std::string& file, plat::Window* owner) {
    const int other = 1 - m_Current;
    if (!m_Players[other].Open(file, owner)) {
        // The current player (and what it plays) stays as it was.
        m_Players[other].Release();
        return 0;
    }
    m_Players[other].SetVolume(m_Volume);
    m_Current = other;
    return 1;
}

int CMediaMng::SetVideoWindow(const plat::Rect* rect, int fit, int width, int height) {
    return m_Players[m_Current].SetVideoWindow(rect, fit, width, height);
}

int CMediaMng::Play(int loop) {
    if (!m_Players[m_Current].Play(loop)) return 0;
    m_Players[1 - m_Current].Release();
    return 1;
}

void CMediaMng::HideCursor(int show) { m_Players[m_Current].HideCursor(show); }

int CMediaMng::IsPlaying() {
    Pump();
    return m_Players[m_Current].IsPlaying();
}

void CMediaMng::Stop() { m_Players[m_Current].Stop(); }

int CMediaMng::SetVolume(int volume, int apply) {
    if (volume < plat::DSBVOLUME_MIN || volume > plat::DSBVOLUME_MAX) return 0;
    // Kept even when nothing plays now: every track opened later takes it.
    if (apply && m_Players[m_Current].IsOpen() && !m_Players[m_Current].SetVolume(volume)) return 0;
    m_Volume = volume;
    SetFactors();
    return 1;
}

void CMediaMng::Release() {
    m_Players[0].Release();
    m_Players[1].Release();
    ResetFade();
}

int CMediaMng::CrossFadeTo(const std::string& file, int loop) {
    if (!Open(file, nullptr)) return 0;
    CMediaPlayer& cur = m_Players[m_Current];
    cur.SetLoop(loop);
    if (m_Volume <= kInaudible) {
        // Silent: no curve to follow (both factors would be negative and
        // the curves inverted); the new track simply replaces the old one.
        m_FadeOut = -1;
        m_FadeIn = -1;
        Play(loop);
        return 1;
    }
    if (m_FadeIn >= 0) {
        const double r = (m_Volume + 8000 - std::sqrt(static_cast<double>(m_FadeIn)) * m_KIn) / m_KOut;
        m_FadeOut = r < 0 ? -1 : static_cast<int>(std::sqrt(r));
    } else {
        m_FadeOut = 0;
    }
    m_FadeIn = 0;
    return 1;
}

int CMediaMng::FadeStep() {
    Pump();
    if (m_FadeOut < 0 && m_FadeIn < 0) return 0;
    CMediaPlayer& cur = m_Players[m_Current];
    CMediaPlayer& old = m_Players[1 - m_Current];
    if (m_Volume <= kInaudible) {
        // The volume went silent during a fade: end it at once.
        old.Release();
        m_FadeOut = -1;
        m_FadeIn = -1;
        cur.SetVolume(m_Volume);
        cur.Play(cur.GetLoop());
        return cur.IsPlaying();
    }
    const int v = m_Volume;
    int outLevel = kInaudible;
    if (m_FadeOut >= 0) outLevel = static_cast<int>(v - static_cast<float>(m_FadeOut * m_FadeOut) * m_KOut);
    int inLevel = v;
    if (m_FadeIn >= 0) inLevel = static_cast<int>(std::sqrt(static_cast<double>(m_FadeIn)) * m_KIn - 8000);

    if (outLevel > kInaudible) {
        ++m_FadeOut;
    } else {
        old.Release();
        m_FadeOut = -1;
    }
    if (inLevel >= v) {
        inLevel = v;
        m_FadeIn = -1;
    } else {
        ++m_FadeIn;
    }
    // A released player is left alone: it has nothing to play.
    if (old.IsOpen()) {
        old.SetVolume(outLevel);
        old.Play(old.GetLoop());
    }
    cur.SetVolume(inLevel);
    cur.Play(cur.GetLoop());
    return cur.IsPlaying();
}
