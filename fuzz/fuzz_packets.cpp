// libFuzzer target; the work is in harness/packets.h.
#include "harness/packets.h"
#include "harness/target.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzztarget::Init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::RunPackets(data, size);
    fuzztarget::EndInput();
    return 0;
}
