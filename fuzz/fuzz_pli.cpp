// libFuzzer target; the work is in harness/pli.h, shared with the regression test.
#include "harness/drawing_setup.h"
#include "harness/target.h"
#include "harness/pli.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzztarget::Init(argc, argv);
    fuzzharness::InitDrawingTarget(fuzzharness::PreparePliRoles, "fuzz_pli: cannot prepare the role library");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::RunPli(data, size);
    fuzztarget::EndInput();
    return 0;
}
