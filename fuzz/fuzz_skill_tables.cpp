// libFuzzer target; the work is in harness/skill_tables.h, shared with the regression test.
#include "harness/skill_tables.h"
#include "harness/target.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzztarget::Init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::RunSkillTables(data, size);
    fuzztarget::EndInput();
    return 0;
}
