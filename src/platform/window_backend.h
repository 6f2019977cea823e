#pragma once
// Internals shared by the window backends (not for game code).
#include <memory>
#include <string>

#include "platform/timeline.h"
#include "platform/window.h"

namespace plat::detail {

struct BackendConfig {
    Backend backend = Backend::Sdl;
    bool windowed = false;     // SDL: decorated window for development
    int windowedWidth = 640;
    int windowedHeight = 480;
    bool scripted = false;     // headless: a timeline drives the input
    bool advanceClock = false;  // headless: advance the (fake) clock by the step per idle pass
    Timeline timeline;
    std::string scriptError;   // non-empty: the script could not be used
};

BackendConfig& Config();

std::unique_ptr<Window> MakeSdlWindow(const WindowDesc& desc);
std::unique_ptr<Window> MakeHeadlessWindow(const WindowDesc& desc);
// Installs the headless backend's fake clock as the process clock.
void InstallScriptClock();
// True when SDL video initialises (the SDL backend can run).
bool SdlVideoAvailable();
// True once the connection to the X display is lost: nothing may ask the
// display for anything any more.
bool SdlDisplayLost();
// Reads what the display has sent (without blocking), so a lost connection
// shows here; true while the display is still there.
bool SdlDisplayCheck();
// Desktop size through SDL; false when unavailable.
bool SdlScreenSize(int* w, int* h);

// Message helpers: each updates the input state and queues the messages
// Windows would send for the event.
void QueueKey(Window* w, int vk, bool down, bool repeat, int scancode);
void QueueText(Window* w, const std::string& utf8);
void QueueMouseMove(Window* w, int x, int y);
void QueueMouseButton(Window* w, int vk, bool down, int x, int y);
void QueueActivate(Window* w, bool active);
void QueueClose(Window* w);

} // namespace plat::detail
