// libFuzzer target; the work is in harness/sound_table.h, shared with the regression test.
#include "harness/sound_table.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzenv::EnterScratchFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::RunSoundTable(data, size);
    return 0;
}
