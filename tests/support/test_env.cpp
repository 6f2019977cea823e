#include "test_env.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/debug.h"
#include "platform/fs.h"
#include "platform/msgbox.h"

namespace fs = std::filesystem;

namespace vtest {

void TempDirTest::SetUp() {
    oldCwd_ = fs::current_path().string();
    std::string tmpl = (fs::temp_directory_path() / "vantrel-test-XXXXXX").string();
    char* made = mkdtemp(tmpl.data());
    ASSERT_NE(made, nullptr);
    dir_ = std::string(made) + "/";
    fs::current_path(dir_);
    setenv("VANTREL_HOME", dir_.c_str(), 1);
    plat::ClearDebugCapture();
    plat::ClearRecordedMessageBoxes();
}

void TempDirTest::TearDown() {
    fs::current_path(oldCwd_);
    unsetenv("VANTREL_HOME");
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

std::string TempDirTest::ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void TempDirTest::WriteFile(const std::string& path, const std::string& bytes) {
    fs::path p(path);
    if (p.has_parent_path()) fs::create_directories(p.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace vtest
