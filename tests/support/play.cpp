#include "play.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "datagen/demo_data.h"
#include "process.h"

namespace fs = std::filesystem;

namespace vtest {

bool WriteDemoFolder(const std::string& folder, std::string* error) {
    return datagen::WriteDemoDataSet(folder, datagen::DemoOptions{}, error);
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<std::string> GameRun::ErrLines(const std::string& prefix) const {
    std::vector<std::string> out;
    std::istringstream in(err);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(prefix, 0) == 0) out.push_back(line);
    return out;
}

GameRun RunGame(const std::string& exe, const std::string& folder, const std::string& timeline,
                const GameRunOptions& options) {
    GameRun run;
    std::string dir = folder;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    const std::string script = dir + "play-script.txt";
    {
        std::ofstream out(script, std::ios::binary | std::ios::trunc);
        out << timeline;
    }
    std::vector<std::string> env = {"VANTREL_HOME=" + dir, "VANTREL_SCRIPT=" + script, "VANTREL_HEADLESS=1",
                                    "VANTREL_DEBUG=1", "VANTREL_AUDIO=null", "SDL_AUDIODRIVER=dummy"};
    env.insert(env.end(), options.env.begin(), options.env.end());
    const std::string errPath = dir + "play-stderr.txt";
    ChildProcess child;
    if (child.Start({exe}, ChildEnvironment(env), "/dev/null", errPath)) {
        run.exitCode = child.Wait(options.timeoutMs);
        if (run.exitCode == ChildProcess::kTimedOut) child.Stop(1000);
    }
    run.log = ReadWholeFile(dir + "BugLog.ini");
    run.err = ReadWholeFile(errPath);
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->is_regular_file() && it->path().extension() == ".png")
            run.pngs.push_back(fs::relative(it->path(), dir).string());
    }
    std::sort(run.pngs.begin(), run.pngs.end());
    return run;
}

} // namespace vtest
