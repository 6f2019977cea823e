#pragma once
// Music and movie player.
// PLACEHOLDER until the sound and video subsystem lands: nothing is decoded
// or heard. Open succeeds when the file exists; a "movie" then plays until
// it is stopped (it never ends by itself). Music never opens. The later
// work replaces the bodies, not the callers.
#include <cstdint>
#include <string>

namespace plat { class Window; }

class CMediaMng {
public:
    int Init(plat::Window* owner, plat::Window* notify);
    // Offered every window message first; 1 when it took the message.
    int OnWindowMessage(uint32_t message, uint32_t wParam, uint32_t lParam);
    // One music cross-fade step per logic tick.
    void FadeStep();
    int Open(const std::string& path, int flags);
    int SetVideoWindow(int x, int y, int width, int height);
    int Play(int loop);
    void HideCursor(int show);
    int IsPlaying();
    void Stop();
    void Release();
    int CrossFadeTo(const std::string& path, int loop);

    std::string m_OpenPath;
    int m_Playing = 0;
};

extern CMediaMng g_MediaMng;
