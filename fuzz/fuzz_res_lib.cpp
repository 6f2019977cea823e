// libFuzzer target; the work is in harness/res_lib.h, shared with the regression test.
#include "harness/drawing_setup.h"
#include "harness/target.h"
#include "harness/res_lib.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzztarget::Init(argc, argv);
    fuzzharness::InitDrawingTarget(fuzzharness::PrepareResLibs, "fuzz_res_lib: cannot prepare the library list");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::RunResLib(data, size);
    fuzztarget::EndInput();
    return 0;
}
