// libFuzzer target; the work is in harness/texture.h, shared with the regression test.
#include "harness/texture.h"
#include "platform/window.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzenv::EnterScratchFolder();
    plat::UseHeadlessBackend();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::RunTexture(data, size, ".tga");
    return 0;
}
