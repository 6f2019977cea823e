// libFuzzer target; the work is in harness/method_point.h, shared with the regression test.
#include "harness/method_point.h"
#include "harness/target.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzztarget::Init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::RunMethodPoint(data, size);
    fuzztarget::EndInput();
    return 0;
}
