#pragma once
// Music and movie playback: one MediaGraph plays one file (audio, video or
// both), decoded with FFmpeg. Audio is streamed into the software mixer
// (audio.h) through a looping ring buffer; video frames are scaled into the
// video rectangle and handed to the display's presenter. The playing
// position follows the process clock (clock.h), so tests drive it with a
// fake clock; the audio ring is fed from the same Update call, so a test on
// the null device hears exactly what was decoded.
//
// Nothing runs by itself: Update (on the game thread) feeds the ring,
// shows the frame that is due and raises the completion event, which is
// queued for GetEvent and posted as `message` to the notify window.
//
// Results are the media framework's codes: negative failure.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/audio.h"

namespace plat {

class Window;

constexpr int32_t S_OK = 0;
constexpr int32_t S_FALSE = 1;
constexpr int32_t E_NOINTERFACE = static_cast<int32_t>(0x80004002u);
constexpr int32_t E_ABORT = static_cast<int32_t>(0x80004004u);
constexpr int32_t VFW_E_NOT_CONNECTED = static_cast<int32_t>(0x80040209u);
constexpr int32_t VFW_E_CANNOT_RENDER = static_cast<int32_t>(0x80040218u);

// The window message the game registers for graph events.
constexpr uint32_t WM_GRAPHNOTIFY = 0x8001;
// Event codes.
constexpr int32_t EC_COMPLETE = 1;

// 100-nanosecond units per millisecond.
constexpr int64_t kMediaUnitsPerMs = 10000;

struct MediaDecoder;  // FFmpeg state, media.cpp

class MediaGraph {
public:
    MediaGraph();
    ~MediaGraph();
    MediaGraph(const MediaGraph&) = delete;
    MediaGraph& operator=(const MediaGraph&) = delete;

    // Opens a file (game path, resolved like every other file) and prepares
    // its first audio and video streams; the container is probed from the
    // content. Audio goes to `mixer` when given (else the track plays
    // silently, still timed). VFW_E_CANNOT_RENDER when the file does not
    // open or holds no playable stream. A graph renders one file once.
    int32_t RenderFile(std::string_view path, AudioMixer* mixer);
    bool IsRendered() const;
    bool HasVideo() const;
    bool HasAudio() const;

    // Media control. Run starts (or continues) from the current position;
    // Stop halts and keeps the position.
    int32_t Run();
    int32_t Stop();
    bool IsRunning() const { return running_; }

    // Seeking, in 100-ns units from the start of the media.
    int32_t GetDuration(int64_t* duration) const;
    int32_t GetCurrentPosition(int64_t* position) const;
    // E_INVALIDARG outside 0..duration.
    int32_t SetPositions(int64_t position);

    // Volume as an attenuation in hundredths of a decibel (-10000..0);
    // E_NOINTERFACE when the media have no audio.
    int32_t SetVolume(int32_t hundredthsDb);
    int32_t GetVolume(int32_t* hundredthsDb) const;

    // Events: the completion event is queued once per run to the end.
    int32_t SetNotifyWindow(Window* window, uint32_t message, uint32_t lParam);
    // E_ABORT when no event waits.
    int32_t GetEvent(int32_t* code, intptr_t* param1, intptr_t* param2);
    int32_t FreeEventParams(int32_t code, intptr_t param1, intptr_t param2);

    // Video window; all E_NOINTERFACE without video. The rectangle is in
    // the owner's client coordinates (the screen for the game's window).
    int32_t SetMessageDrain(Window* window);
    int32_t SetOwner(Window* window);
    Window* Owner() const { return owner_; }
    int32_t SetVisible(bool visible);
    bool IsVisible() const { return visible_; }
    int32_t GetVideoSize(int32_t* width, int32_t* height) const;
    int32_t SetWindowPosition(int32_t x, int32_t y, int32_t width, int32_t height);
    int32_t GetWindowPosition(int32_t* x, int32_t* y, int32_t* width, int32_t* height) const;
    int32_t HideCursor(bool hide);
    bool CursorHidden() const { return cursorHidden_; }
    int32_t NotifyOwnerMessage(Window* window, uint32_t message, uint32_t wParam, uint32_t lParam);

    // The game thread's service call: feeds the audio ring, presents the
    // video frame due at the current position, raises completion.
    void Update();

    // For tests: frames handed to the presenter, and the ring voice.
    int PresentedFrames() const { return presented_; }
    int64_t DecodedAudioFrames() const { return decodedAudio_; }
    const AudioBuffer* Voice() const { return voice_.get(); }

private:
    int64_t PositionNow() const;
    void ResetRing();
    void FeedAudio();
    void AdvanceVideo(int64_t position);
    void PresentFrame();
    void Complete();

    std::unique_ptr<MediaDecoder> dec_;
    AudioMixer* mixer_ = nullptr;
    std::unique_ptr<AudioBuffer> voice_;
    uint32_t ringBytes_ = 0;
    uint32_t ringWrite_ = 0;     // next byte to write
    uint32_t ringBuffered_ = 0;  // bytes written and not yet played
    uint32_t ringLastPlay_ = 0;
    int32_t volume_ = 0;
    int64_t decodedAudio_ = 0;

    bool running_ = false;
    int64_t basePos_ = 0;     // position when the clock base was taken
    uint32_t baseMs_ = 0;     // clock reading at that moment
    int64_t duration_ = 0;
    bool completeRaised_ = false;

    std::deque<int32_t> events_;
    Window* notify_ = nullptr;
    uint32_t notifyMsg_ = 0;
    uint32_t notifyLParam_ = 0;

    Window* owner_ = nullptr;
    bool visible_ = false;
    bool cursorHidden_ = false;
    int32_t winX_ = 0, winY_ = 0, winW_ = 0, winH_ = 0;
    bool frameDirty_ = false;
    int presented_ = 0;
    std::vector<uint16_t> screen_;
};

} // namespace plat
