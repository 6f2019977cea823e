#pragma once
// Recorded play: with VANTREL_RECORD=<file> either window backend writes the
// run's input as timeline lines (timeline.h), so a game played by hand in
// the real window replays headless (VANTREL_SCRIPT=<file>). The file starts
// with "seed", "step" (only when the recorded run was itself scripted) and
// "screen"; then one "tick <n> ..." line per key edge, typed text, button
// edge (with its point), activation change and close, and at most one
// cursor move per tick (the tick's last point). <n> is the number of logic
// ticks the game had run when the input arrived, from the tick source the
// game installs, and "+<ms>" how long after the loop first saw that tick
// (so a scripted run replays pass for pass); without a tick source the
// lines are "at <ms>" of the process clock.
// A relative path is taken from the current folder when the main window is
// created (the game has made its program folder current by then).
#include <cstdint>
#include <functional>
#include <string>

namespace plat {

// How many logic ticks the game has run. Replays land "tick" events and the
// recorder stamps its lines with it. An empty function removes it.
using TickSource = std::function<int64_t()>;
void SetTickSource(TickSource source);
bool HasTickSource();
int64_t CurrentTick();  // -1 without a source

// The seed of the process-wide random generator for this run: in a scripted
// run the timeline's "seed" (kScriptSeed without one), else `unscripted`.
// The recorder writes the seed returned.
uint32_t RunSeed(uint32_t unscripted);

// Opens the file VANTREL_RECORD names, if any, and writes the header. On
// failure says so on stderr and the run goes on unrecorded.
void StartRecordingFromEnvironment();
// Starts recording into `nativePath` (tests); false when it cannot open.
bool StartRecording(const std::string& nativePath);
// Writes what is pending and closes the file.
void StopRecording();
bool IsRecording();

namespace detail {
// The message loop calls this on every pump: it notes the tick count and
// the clock time of the first pump that saw it.
void WatchTick();
int64_t WatchedTick();          // -1 without a tick source
uint32_t WatchedTickSinceMs();  // ms since the first pump saw it

// Called by the window backends' message helpers for each input event.
void RecordKey(int vk, bool down);
void RecordText(const std::string& utf8);
void RecordMove(int x, int y);
void RecordButton(int vk, bool down, int x, int y);
void RecordActivate(bool active);
void RecordClose();
} // namespace detail

} // namespace plat
