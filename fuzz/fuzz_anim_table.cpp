// libFuzzer target; the work is in harness/anim_table.h, shared with the regression test.
#include "harness/drawing_setup.h"
#include "harness/target.h"
#include "harness/anim_table.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzztarget::Init(argc, argv);
    fuzzharness::InitDrawingTarget(fuzzharness::PrepareAnimLibs, "fuzz_anim_table: cannot prepare the library list");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::RunAnimTable(data, size);
    fuzztarget::EndInput();
    return 0;
}
