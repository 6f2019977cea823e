// libFuzzer target; the work is in harness/trigger_scripts.h.
#include "harness/target.h"
#include "harness/trigger_scripts.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzztarget::Init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::RunTriggerScripts(data, size);
    fuzztarget::EndInput();
    return 0;
}
