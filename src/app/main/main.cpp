// Placeholder entry point until the application object exists: it starts
// the log in the program folder and ends.
#include "core/log.h"
#include "platform/fs.h"

int main() {
    plat::SetCurrentDir(plat::ProgramDirNative());
    plat::DeleteFile(kLogFile);
    WriteLog(kLogFile, "tamiro begin\n");
    WriteLog(kLogFile, "tamiro end\n");
    return 0;
}
