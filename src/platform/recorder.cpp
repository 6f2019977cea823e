#include "platform/recorder.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/clock.h"
#include "platform/input.h"
#include "platform/timeline.h"
#include "platform/window.h"
#include "platform/window_backend.h"

namespace plat {

namespace {

TickSource& Source() {
    static TickSource s;
    return s;
}

int64_t g_watchedTick = -1;
uint32_t g_watchedSince = 0;

bool g_seedKnown = false;
uint32_t g_seed = 0;

struct Recorder {
    FILE* file = nullptr;
    // A cursor move not written yet: only a tick's last point is kept.
    bool movePending = false;
    std::string moveStamp;
    int64_t moveTick = -1;
    int moveX = 0, moveY = 0;
    bool cursorKnown = false;
    int cursorX = 0, cursorY = 0;
};

Recorder& Rec() {
    static Recorder r;
    return r;
}

void WriteLine(const std::string& line) {
    Recorder& r = Rec();
    if (!r.file) return;
    std::fputs(line.c_str(), r.file);
    std::fputc('\n', r.file);
    // A run that dies still leaves what it got.
    std::fflush(r.file);
}

// "tick 12", "tick 12+9" or, without a tick source, "at 3400".
std::string Stamp() {
    const int64_t tick = detail::WatchedTick();
    if (tick < 0) return "at " + std::to_string(TimeGetTime());
    const uint32_t offset = detail::WatchedTickSinceMs();
    return "tick " + std::to_string(tick) + (offset ? "+" + std::to_string(offset) : std::string());
}

// Moves are kept per tick (per stamp without a tick source).
bool SameSlot(const std::string& stamp) {
    const Recorder& r = Rec();
    const int64_t tick = detail::WatchedTick();
    return tick >= 0 ? r.moveTick == tick : r.moveStamp == stamp;
}

void FlushMove() {
    Recorder& r = Rec();
    if (!r.movePending) return;
    r.movePending = false;
    if (r.cursorKnown && r.cursorX == r.moveX && r.cursorY == r.moveY) return;
    r.cursorKnown = true;
    r.cursorX = r.moveX;
    r.cursorY = r.moveY;
    WriteLine(r.moveStamp + " move " + std::to_string(r.moveX) + " " + std::to_string(r.moveY));
}

// The stamp for an event now; a pending move of an earlier stamp goes first.
std::string Begin() {
    Recorder& r = Rec();
    const std::string s = Stamp();
    if (r.movePending && !SameSlot(s)) FlushMove();
    return s;
}

void Record(const TimelineEvent& e) {
    if (!Rec().file) return;
    const std::string s = Begin();
    WriteLine(s + " " + FormatTimelineEvent(e));
}

} // namespace

void SetTickSource(TickSource source) {
    Source() = std::move(source);
    g_watchedTick = -1;
}
bool HasTickSource() { return static_cast<bool>(Source()); }
int64_t CurrentTick() { return Source() ? Source()() : -1; }

uint32_t RunSeed(uint32_t unscripted) {
    ConfigureFromEnvironment();
    const detail::BackendConfig& c = detail::Config();
    g_seed = c.scripted ? c.timeline.seed : unscripted;
    g_seedKnown = true;
    return g_seed;
}

bool StartRecording(const std::string& nativePath) {
    StopRecording();
    Recorder& r = Rec();
    r = Recorder{};
    r.file = std::fopen(nativePath.c_str(), "wb");
    if (!r.file) return false;
    const detail::BackendConfig& c = detail::Config();
    if (g_seedKnown) WriteLine("seed " + std::to_string(g_seed));
    if (c.scripted && c.advanceClock) WriteLine("step " + std::to_string(c.timeline.stepMs));
    WriteLine("screen " + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + " " +
              std::to_string(GetSystemMetrics(SM_CYSCREEN)));
    return true;
}

void StartRecordingFromEnvironment() {
    const char* path = std::getenv("VANTREL_RECORD");
    if (!path || !*path) return;
    if (!StartRecording(path))
        std::fprintf(stderr, "vantrel: cannot record input to \"%s\": %s\n", path, std::strerror(errno));
}

void StopRecording() {
    Recorder& r = Rec();
    if (!r.file) return;
    FlushMove();
    std::fclose(r.file);
    r.file = nullptr;
}

bool IsRecording() { return Rec().file != nullptr; }

namespace detail {

void WatchTick() {
    const int64_t tick = CurrentTick();
    if (tick != g_watchedTick) {
        g_watchedTick = tick;
        g_watchedSince = TimeGetTime();
    }
}

int64_t WatchedTick() { return g_watchedTick; }
uint32_t WatchedTickSinceMs() { return g_watchedTick < 0 ? 0 : TimeGetTime() - g_watchedSince; }

void RecordKey(int vk, bool down) {
    TimelineEvent e;
    e.kind = down ? TimelineEvent::Kind::KeyDown : TimelineEvent::Kind::KeyUp;
    e.a = vk;
    Record(e);
}

void RecordText(const std::string& utf8) {
    if (utf8.empty()) return;
    TimelineEvent e;
    e.kind = TimelineEvent::Kind::Text;
    e.text = utf8;
    Record(e);
}

void RecordMove(int x, int y) {
    Recorder& r = Rec();
    if (!r.file) return;
    r.moveStamp = Begin();
    r.moveTick = detail::WatchedTick();
    r.movePending = true;
    r.moveX = x;
    r.moveY = y;
}

void RecordButton(int vk, bool down, int x, int y) {
    Recorder& r = Rec();
    if (!r.file) return;
    using K = TimelineEvent::Kind;
    TimelineEvent e;
    if (vk == VK_LBUTTON) e.kind = down ? K::LDown : K::LUp;
    else if (vk == VK_RBUTTON) e.kind = down ? K::RDown : K::RUp;
    else return;  // the game reads no other button
    e.a = x;
    e.b = y;
    e.hasPos = true;
    const std::string s = Begin();
    // The button carries its point: a move before it in this tick is spent.
    r.movePending = false;
    r.cursorKnown = true;
    r.cursorX = x;
    r.cursorY = y;
    WriteLine(s + " " + FormatTimelineEvent(e));
}

void RecordActivate(bool active) {
    TimelineEvent e;
    e.kind = TimelineEvent::Kind::Activate;
    e.a = active ? 1 : 0;
    Record(e);
}

void RecordClose() {
    TimelineEvent e;
    e.kind = TimelineEvent::Kind::Close;
    Record(e);
}

} // namespace detail

} // namespace plat
