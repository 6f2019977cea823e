#pragma once
// One music or movie player: wraps one media graph (platform/media.h),
// recreated for every file it opens.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/display.h"
#include "platform/media.h"

namespace plat { class Window; }

class CMediaPlayer {
public:
    CMediaPlayer() = default;
    virtual ~CMediaPlayer();
    CMediaPlayer(const CMediaPlayer&) = delete;
    CMediaPlayer& operator=(const CMediaPlayer&) = delete;

    // Makes an empty graph. 1 on success.
    int Create();
    // Owner = a (b when a is null), notify = b (a when b is null); 0 when
    // both are null.
    int CreateFor(plat::Window* a, plat::Window* b);
    // Opens a file (game path) into a fresh graph; owner null keeps the
    // stored owner. With video the picture fills the owner's area. 1 when
    // the file plays from its start.
    int Open(const std::string& file, plat::Window* owner);
    // rect: the picture takes it. Else the area is (0, 0, width, height)
    // when both are given (not -1), else the owner's client area; fit
    // stretches over the area, otherwise the native size is centred.
    // 0 for media without video.
    int SetVideoWindow(const plat::Rect* rect, int fit, int width, int height);
    int Play(int loop);
    void Stop();
    // t in hundredths of a second.
    int Seek(int t);
    // Attenuation in hundredths of a decibel, -10000..0.
    int SetVolume(int volume);
    int IsPlaying() const { return m_State == 0; }
    int GetLoop() const { return m_Loop; }
    void SetLoop(int loop) { m_Loop = loop; }
    // show 0 hides the cursor over the picture, anything else shows it.
    void HideCursor(int show);
    // 1 when it took the message (the graph event message).
    int OnMessage(uint32_t message, uint32_t wParam, uint32_t lParam);
    void HandleEvents();
    void Release();

    // Feeds the audio, shows the due frame and raises graph events; the
    // manager calls it from the game thread.
    void Update();

    // Something is opened (released players have nothing).
    int IsOpen() const { return m_Graph && m_Graph->IsRendered() ? 1 : 0; }
    int HasNoVideo() const { return m_NoVideo; }
    int GetVolume() const;  // 1 when there is no audio to ask
    int64_t GetDuration() const { return m_Duration; }
    plat::MediaGraph* Graph() const { return m_Graph.get(); }

private:
    std::unique_ptr<plat::MediaGraph> m_Graph;
    int m_Loop = 0;
    int m_NoVideo = 0;
    int m_State = 1;  // 0 running, 1 stopped
    int m_VideoWidth = 0;
    int m_VideoHeight = 0;
    plat::Window* m_Owner = nullptr;
    plat::Window* m_Notify = nullptr;
    int64_t m_Duration = 0;
};
