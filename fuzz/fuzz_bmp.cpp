// libFuzzer target; the work is in harness/texture.h, shared with the regression test.
#include "harness/texture.h"
#include "harness/target.h"
#include "platform/window.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzztarget::Init(argc, argv);
    plat::UseHeadlessBackend();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::RunTexture(data, size, ".bmp");
    fuzztarget::EndInput();
    return 0;
}
