// libFuzzer target; the work is in harness/map.h, shared with the regression test.
#include "harness/drawing_setup.h"
#include "harness/map.h"
#include "harness/target.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzztarget::Init(argc, argv);
    fuzzharness::InitDrawingTarget(fuzzharness::PrepareMapTiles, "fuzz_map: cannot write the tile library");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::RunMap(data, size);
    fuzztarget::EndInput();
    return 0;
}
