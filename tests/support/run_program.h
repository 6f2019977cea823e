#pragma once
// Runs a built program of the project as a child process, for end-to-end
// tests, with a clean VANTREL_* / DISPLAY environment plus what the test
// adds.
#include <string>
#include <vector>

namespace vtest {

// Runs `exe` with the caller's environment minus every VANTREL_* and
// DISPLAY variable and the variables `extraEnv` sets, plus `extraEnv`
// ("NAME=value"). Its stderr goes to
// `stderrPath` when given. Returns the exit status; -1 when it did not exit
// normally, -2 when it could not be started.
int RunProgram(const std::string& exe, const std::vector<std::string>& extraEnv, const std::string& stderrPath = "");

} // namespace vtest
