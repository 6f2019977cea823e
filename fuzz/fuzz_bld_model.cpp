// libFuzzer target; the work is in harness/bld_model.h, shared with the regression test.
#include "harness/bld_model.h"
#include "harness/drawing_setup.h"
#include "harness/target.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzztarget::Init(argc, argv);
    fuzzharness::InitDrawingTarget(fuzzharness::PrepareBldPictures, "fuzz_bld_model: cannot prepare the pictures");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::RunBldModel(data, size);
    fuzztarget::EndInput();
    return 0;
}
