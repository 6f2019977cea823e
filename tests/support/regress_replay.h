#pragma once
// The two checks every loader's regression replay makes, through the fuzz
// target's own harness (which aborts on any broken invariant): each saved
// finding in tests/regress/<loader>/ is refused or handled, and each seed in
// fuzz/corpus/<loader>/ loads from disk and from both kinds of pack.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "../../fuzz/harness/env.h"
#include "../../fuzz/harness/replay.h"

namespace vtest {

using HarnessFn = int (*)(const uint8_t* data, size_t size);

inline void ExpectFindingsHandled(const std::string& loader, HarnessFn run) {
    for (const fuzzreplay::Input& in : fuzzreplay::Findings(loader)) {
        SCOPED_TRACE(in.name);
        EXPECT_GE(run(fuzzreplay::Data(in), in.bytes.size()), 0);
    }
}

inline void ExpectSeedsLoadEverywhere(const std::string& loader, HarnessFn run) {
    const std::vector<fuzzreplay::Input> seeds = fuzzreplay::Seeds(loader);
    ASSERT_FALSE(seeds.empty());
    for (fuzzenv::Place place : {fuzzenv::Place::Disk, fuzzenv::Place::Pack, fuzzenv::Place::ScrambledPack}) {
        fuzzenv::ForcePlace pin(place);
        for (const fuzzreplay::Input& in : seeds) {
            SCOPED_TRACE(in.name + " from " + fuzzenv::PlaceName(place));
            EXPECT_EQ(run(fuzzreplay::Data(in), in.bytes.size()), 1);
        }
    }
}

} // namespace vtest
