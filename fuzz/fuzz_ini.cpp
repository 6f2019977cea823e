// libFuzzer target; the work is in harness/ini.h, shared with the regression test.
#include "harness/ini.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzenv::EnterScratchFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::RunIni(data, size);
    return 0;
}
