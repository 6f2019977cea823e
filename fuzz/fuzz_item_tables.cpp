// libFuzzer target; the work is in harness/item_tables.h, shared with the regression test.
#include "harness/item_tables.h"
#include "harness/target.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzztarget::Init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::RunItemTables(data, size);
    fuzztarget::EndInput();
    return 0;
}
