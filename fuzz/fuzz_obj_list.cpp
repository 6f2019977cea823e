// libFuzzer target; the work is in harness/obj_list.h, shared with the regression test.
#include "harness/obj_list.h"
#include "harness/target.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzztarget::Init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::RunObjList(data, size);
    fuzztarget::EndInput();
    return 0;
}
