// libFuzzer target; the work is in harness/bld_init.h, shared with the regression test.
#include "harness/bld_init.h"
#include "harness/drawing_setup.h"
#include "harness/target.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzztarget::Init(argc, argv);
    fuzzharness::InitDrawingTarget(
        [] { return fuzzharness::PrepareBldPictures() && fuzzharness::WriteFixedBldModel(); },
        "fuzz_bld_init: cannot prepare the pictures and the model");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::RunBldInit(data, size);
    fuzztarget::EndInput();
    return 0;
}
