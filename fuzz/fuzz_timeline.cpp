// libFuzzer target; the work is in harness/timeline.h, shared with the regression test.
#include "harness/timeline.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzenv::EnterScratchFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::RunTimeline(data, size);
    return 0;
}
