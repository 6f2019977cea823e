#pragma once
// Child processes for end-to-end tests: started with a given environment,
// waited for with a time limit, and never left behind: a child still
// running when its object goes away is killed and reaped.
#include <sys/types.h>

#include <string>
#include <vector>

namespace vtest {

// The caller's environment minus every VANTREL_* and DISPLAY variable and
// minus every variable `extra` sets, plus `extra` ("NAME=value").
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& extra);

// Full path of a program on PATH ("" when missing).
std::string FindOnPath(const std::string& name);

class ChildProcess {
public:
    static constexpr int kTimedOut = -3;
    static constexpr int kNotStarted = -2;

    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // argv[0] is the program (looked up on PATH when it has no '/'). stdout
    // and stderr go to the files given ("" keeps the test's own, "/dev/null"
    // drops them). `passFd`, when >= 0, is handed to the child as fd 3.
    bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& env,
               const std::string& stdoutPath = "", const std::string& stderrPath = "", int passFd = -1);
    // Exit status; -1 when a signal ended it; kTimedOut when it still runs
    // after `timeoutMs` (< 0: wait for ever); kNotStarted.
    int Wait(int timeoutMs = -1);
    bool Running();
    void Signal(int sig);
    // SIGTERM, then SIGKILL when it has not ended within `graceMs`; reaps.
    void Stop(int graceMs = 2000);
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    bool reaped_ = false;
    int status_ = 0;
};

// Runs argv to its end (at most `timeoutMs`), its stdout into *out when
// given. Returns the exit status as ChildProcess::Wait; a child over its
// time is killed.
int RunCommand(const std::vector<std::string>& argv, std::string* out = nullptr, int timeoutMs = 10000,
               const std::vector<std::string>& extraEnv = {});

} // namespace vtest
