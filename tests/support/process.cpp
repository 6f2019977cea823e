#include "process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace vtest {

namespace {

std::string NameOf(const std::string& assignment) { return assignment.substr(0, assignment.find('=')); }

} // namespace

std::vector<std::string> ChildEnvironment(const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string s = *e;
        if (s.rfind("VANTREL_", 0) == 0 || s.rfind("DISPLAY=", 0) == 0) continue;
        bool overridden = false;
        for (const std::string& x : extra) overridden = overridden || NameOf(x) == NameOf(s);
        if (!overridden) env.push_back(s);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

std::string FindOnPath(const std::string& name) {
    if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0 ? name : std::string();
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::istringstream in(dirs);
    std::string dir;
    while (std::getline(in, dir, ':')) {
        if (dir.empty()) continue;
        const std::string full = dir + "/" + name;
        struct stat st {};
        if (stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(full.c_str(), X_OK) == 0) return full;
    }
    return std::string();
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !reaped_) Stop(500);
}

bool ChildProcess::Start(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                         const std::string& stdoutPath, const std::string& stderrPath, int passFd) {
    if (argv.empty() || pid_ > 0) return false;
    const std::string exe = FindOnPath(argv[0]);
    if (exe.empty()) return false;
    std::vector<std::string> args = argv;
    std::vector<char*> av;
    for (std::string& a : args) av.push_back(a.data());
    av.push_back(nullptr);
    std::vector<std::string> envCopy = env;
    std::vector<char*> ev;
    for (std::string& s : envCopy) ev.push_back(s.data());
    ev.push_back(nullptr);

    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    if (!stdoutPath.empty())
        posix_spawn_file_actions_addopen(&fa, 1, stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!stderrPath.empty())
        posix_spawn_file_actions_addopen(&fa, 2, stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (passFd >= 0) posix_spawn_file_actions_adddup2(&fa, passFd, 3);
    // Its own process group, so a stop reaches whatever it starts.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, exe.c_str(), &fa, &attr, av.data(), ev.data());
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&fa);
    if (rc != 0) return false;
    pid_ = pid;
    reaped_ = false;
    return true;
}

int ChildProcess::Wait(int timeoutMs) {
    if (pid_ <= 0) return kNotStarted;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    while (!reaped_) {
        int status = 0;
        const pid_t r = waitpid(pid_, &status, timeoutMs < 0 ? 0 : WNOHANG);
        if (r == pid_) {
            reaped_ = true;
            status_ = status;
            break;
        }
        if (r < 0 && errno != EINTR) {
            reaped_ = true;
            status_ = -1;
            break;
        }
        if (timeoutMs >= 0) {
            if (std::chrono::steady_clock::now() >= deadline) return kTimedOut;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    if (status_ == -1) return -1;
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
}

bool ChildProcess::Running() { return pid_ > 0 && Wait(0) == kTimedOut; }

void ChildProcess::Signal(int sig) {
    if (pid_ > 0 && !reaped_) kill(pid_, sig);
}

void ChildProcess::Stop(int graceMs) {
    if (pid_ <= 0 || reaped_) return;
    kill(pid_, SIGTERM);
    if (Wait(graceMs) == kTimedOut) {
        kill(-pid_, SIGKILL);
        kill(pid_, SIGKILL);
        Wait(-1);
    }
}

int RunCommand(const std::vector<std::string>& argv, std::string* out, int timeoutMs,
               const std::vector<std::string>& extraEnv) {
    char tmpl[] = "/tmp/vantrel-cmd-XXXXXX";
    const int fd = out ? mkstemp(tmpl) : -1;
    if (out && fd < 0) return ChildProcess::kNotStarted;
    if (fd >= 0) close(fd);
    ChildProcess child;
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.push_back(*e);
    for (const std::string& x : extraEnv) {
        for (auto it = env.begin(); it != env.end();)
            it = NameOf(*it) == NameOf(x) ? env.erase(it) : it + 1;
        env.push_back(x);
    }
    int rc = ChildProcess::kNotStarted;
    if (child.Start(argv, env, out ? tmpl : "/dev/null", "/dev/null")) {
        rc = child.Wait(timeoutMs);
        if (rc == ChildProcess::kTimedOut) child.Stop(200);
    }
    if (out) {
        std::ifstream in(tmpl, std::ios::binary);
        std::ostringstream ss;
        ss << in.rdbuf();
        *out = ss.str();
        std::remove(tmpl);
    }
    return rc;
}

} // namespace vtest
