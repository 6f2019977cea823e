// libFuzzer target; the work is in harness/txt_table.h, shared with the regression test.
#include "harness/txt_table.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzenv::EnterScratchFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::RunTxtTable(data, size);
    return 0;
}
