#include "run_program.h"

#include "process.h"

namespace vtest {

int RunProgram(const std::string& exe, const std::vector<std::string>& extraEnv, const std::string& stderrPath) {
    ChildProcess child;
    if (!child.Start({exe}, ChildEnvironment(extraEnv), "", stderrPath)) return -2;
    return child.Wait();
}

} // namespace vtest
