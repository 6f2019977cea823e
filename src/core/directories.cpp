#include "core/directories.h"

#include <string>

#include "core/txt_table.h"
#include "platform/fs.h"
#include "platform/text.h"

ViewRect g_ViewRect;
int32_t g_ViewCenterX = 0;
int32_t g_ViewCenterY = 0;

namespace {

std::string& ProgramDir() {
    static std::string s;
    return s;
}

// One buffer for every sub-directory getter. Its capacity is fixed once the
// program directory is known, so a getter never moves it and a pointer
// handed out earlier shows whatever the latest getter wrote.
std::string& SharedPath() {
    static std::string s;
    return s;
}

void ReserveShared() {
    SharedPath().reserve(ProgramDir().size() + 16 < 256 ? 256 : ProgramDir().size() + 16);
}

const char* SubDirectory(const char* sub) {
    std::string& buf = SharedPath();
    ReserveShared();
    buf.assign(ProgramDir());
    buf.append(sub);
    plat::ToUpperGbk(buf);
    return buf.c_str();
}

}  // namespace

int SetProgramDirectory(int loadText) {
    std::string dir = plat::ProgramDirWin();
    const size_t cut = dir.rfind('\\');
    if (cut != std::string::npos) dir.resize(cut + 1);
    plat::ToUpperGbk(dir);
    ProgramDir() = dir;
    SharedPath().clear();
    ReserveShared();
    plat::SetCurrentDir(ProgramDir());
    if (loadText) {
        const std::string path = std::string(GetMbDirectory()) + "Text.txt";
        g_TextTable.Load(path.c_str(), 0, 0, 1);
    }
    return 1;
}

const char* GetProgramDirectory() { return ProgramDir().c_str(); }
const char* GetZyDirectory() { return SubDirectory("Zy\\"); }
const char* GetCjDirectory() { return SubDirectory("cj\\"); }
const char* GetMbDirectory() { return SubDirectory("mb\\"); }

ViewRect* GetViewRect() { return &g_ViewRect; }

void SetViewRect(const ViewRect& r) {
    g_ViewRect = r;
    g_ViewCenterX = r.width / 2;
    g_ViewCenterY = r.height / 2;
}
