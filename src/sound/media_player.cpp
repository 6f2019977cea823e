#include "sound/media_player.h"

#include "platform/window.h"
#include "sound/sound_mng.h"

namespace {
// Music goes into the effects device's mixer; without a device the track
// still runs (and loops), silently.
plat::AudioMixer* MusicMixer() {
    plat::AudioDevice* dev = g_SoundMng.GetDevice().GetDevice();
    return dev ? &dev->Mixer() : nullptr;
}
} // namespace

CMediaPlayer::~CMediaPlayer() {
    if (m_Graph) m_Graph->SetOwner(nullptr);
    Release();
}

int CMediaPlayer::Create() {
    if (!m_Graph) m_Graph = std::make_unique<plat::MediaGraph>();
    return 1;
}

int CMediaPlayer::CreateFor(plat::Window* a, plat::Window* b) {
    if (!a && !b) return 0;
    Release();
    m_Owner = a ? a : b;
    m_Notify = b ? b : a;
    return Create();
}

int CMediaPlayer::Open(const std::string& file, plat::Window* owner) {
    Release();
    if (!Create()) return 0;
    if (m_Graph->RenderFile(file, MusicMixer()) < 0) return 0;
    m_NoVideo = m_Graph->SetMessageDrain(m_Notify) < 0 ? 1 : 0;
    if (m_Graph->SetNotifyWindow(m_Notify, plat::WM_GRAPHNOTIFY, 0) < 0) return 0;
    if (owner) m_Owner = owner;
    if (!m_NoVideo) {
        if (m_Graph->SetVisible(false) < 0) return 0;
        if (m_Graph->SetOwner(m_Owner) < 0) return 0;
        int32_t w = 0, h = 0;
        if (m_Graph->GetVideoSize(&w, &h) < 0) return 0;
        m_VideoWidth = w;
        m_VideoHeight = h;
        if (!SetVideoWindow(nullptr, 1, -1, -1)) return 0;
        if (m_Graph->SetVisible(true) < 0) return 0;
    }
    if (m_Graph->GetDuration(&m_Duration) < 0) return 0;
    return Seek(0);
}

int CMediaPlayer::SetVideoWindow(const plat::Rect* rect, int fit, int width, int height) {
    if (m_NoVideo || !m_Graph || !m_Graph->HasVideo()) return 0;
    if (rect) {
        return m_Graph->SetWindowPosition(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top) >= 0
                   ? 1
                   : 0;
    }
    int areaW = width, areaH = height;
    if (width == -1 || height == -1) {
        areaW = m_Owner ? m_Owner->Width() : 0;
        areaH = m_Owner ? m_Owner->Height() : 0;
    }
    int32_t hr;
    if (fit) {
        hr = m_Graph->SetWindowPosition(0, 0, areaW, areaH);
    } else {
        hr = m_Graph->SetWindowPosition((areaW - m_VideoWidth) / 2, (areaH - m_VideoHeight) / 2, m_VideoWidth,
                                        m_VideoHeight);
    }
    return hr >= 0 ? 1 : 0;
}

int CMediaPlayer::Play(int loop) {
    if (!m_Graph || !m_Graph->IsRendered()) return 0;
    if (m_State == 0) return 1;
    m_Loop = loop;
    const int32_t hr = m_Graph->Run();
    if (hr != plat::S_OK && hr != plat::S_FALSE) return 0;
    m_State = 0;
    return 1;
}

void CMediaPlayer::Stop() {
    if (m_State != 0) return;
    if (m_Graph) m_Graph->Stop();
    m_State = 1;
    Seek(0);
}

int CMediaPlayer::Seek(int t) {
    if (!m_Graph || !m_Graph->IsRendered()) return 0;
    const int64_t pos = static_cast<int64_t>(t) * 100000;
    if (pos < 0 || pos > m_Duration) return 0;
    return m_Graph->SetPositions(pos) == plat::S_OK ? 1 : 0;
}

int CMediaPlayer::SetVolume(int volume) {
    if (volume < plat::DSBVOLUME_MIN || volume > plat::DSBVOLUME_MAX) return 0;
    if (!m_Graph) return 0;
    int32_t old = 0;
    if (m_Graph->GetVolume(&old) < 0) return 0;
    return m_Graph->SetVolume(volume) >= 0 ? 1 : 0;
}

int CMediaPlayer::GetVolume() const {
    int32_t v = 1;
    if (!m_Graph || m_Graph->GetVolume(&v) < 0) return 1;
    return v;
}

void CMediaPlayer::HideCursor(int show) {
    if (m_Graph) m_Graph->HideCursor(show == 0);
}

int CMediaPlayer::OnMessage(uint32_t message, uint32_t wParam, uint32_t lParam) {
    if (message == plat::WM_GRAPHNOTIFY) {
        HandleEvents();
        return 1;
    }
    if (m_Graph && !m_NoVideo) m_Graph->NotifyOwnerMessage(m_Notify, message, wParam, lParam);
    return 0;
}

void CMediaPlayer::HandleEvents() {
    if (!m_Graph) return;
    int32_t code = 0;
    intptr_t p1 = 0, p2 = 0;
    while (m_Graph && m_Graph->GetEvent(&code, &p1, &p2) >= 0) {
        m_Graph->FreeEventParams(code, p1, p2);
        if (code == plat::EC_COMPLETE) {
            Stop();
            if (m_Loop) {
                Seek(0);
                Play(m_Loop);
            }
        }
    }
}

void CMediaPlayer::Update() {
    if (m_Graph) m_Graph->Update();
}

void CMediaPlayer::Release() {
    Stop();
    if (m_Graph) {
        m_Graph->SetNotifyWindow(nullptr, 0, 0);
        m_Graph->SetVisible(false);
        m_Graph.reset();
    }
    m_State = 1;
    m_NoVideo = 0;
    m_VideoWidth = m_VideoHeight = 0;
    m_Duration = 0;
}
