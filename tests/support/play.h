#pragma once
// One runner for the real executable: a demo program folder, a timeline,
// headless on the script's fake clock. What the run left is read back: exit
// status, "BugLog.ini", stderr (which carries the debugger output, since
// the run sets VANTREL_DEBUG) and the PNG pictures written in the folder.
#include <string>
#include <vector>

namespace vtest {

// Writes the demo data set (tools/datagen) into `folder`.
bool WriteDemoFolder(const std::string& folder, std::string* error);

struct GameRunOptions {
    std::vector<std::string> env;  // more "NAME=value" for the child
    int timeoutMs = 240000;        // a run over its time is killed
};

struct GameRun {
    int exitCode = -2;         // -1 ended by a signal, -3 killed over time
    std::string log;           // BugLog.ini
    std::string err;           // stderr
    std::vector<std::string> pngs;  // PNG files under the folder, relative, sorted
    // Lines of stderr starting with `prefix`, in order.
    std::vector<std::string> ErrLines(const std::string& prefix) const;
};

// Runs `exe` with VANTREL_HOME=`folder` and the timeline (written to
// "play-script.txt" in the folder), headless with the silent mixer and
// VANTREL_DEBUG=1.
GameRun RunGame(const std::string& exe, const std::string& folder, const std::string& timeline,
                const GameRunOptions& options = {});

// Whole file as bytes ("" when missing).
std::string ReadWholeFile(const std::string& path);

} // namespace vtest
