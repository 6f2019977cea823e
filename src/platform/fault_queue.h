#pragma once
// Test hook shared by the device stand-ins: results forced onto the next
// calls of an operation, and a count of the calls made.
#include <cstdint>
#include <deque>

namespace plat {

template <class Op, int kOps>
class FaultQueue {
public:
    // The next `times` calls of `op` return `result` (times < 0: every call
    // from now on). 0 and the Count sentinel are ignored.
    void Force(Op op, int32_t result, int times) {
        const int i = static_cast<int>(op);
        if (i < 0 || i >= kOps || times == 0) return;
        forced_[i].push_back({result, times});
    }
    // Counts the call; true with the forced result when one is queued.
    bool Take(Op op, int32_t* out) {
        const int i = static_cast<int>(op);
        ++calls_[i];
        auto& q = forced_[i];
        if (q.empty()) return false;
        *out = q.front().result;
        if (q.front().remaining > 0 && --q.front().remaining == 0) q.pop_front();
        return true;
    }
    int Calls(Op op) const {
        const int i = static_cast<int>(op);
        return i < 0 || i >= kOps ? 0 : calls_[i];
    }
    void Clear() {
        for (int i = 0; i < kOps; ++i) {
            forced_[i].clear();
            calls_[i] = 0;
        }
    }

private:
    struct Forced {
        int32_t result;
        int remaining;  // < 0: forever
    };
    std::deque<Forced> forced_[kOps];
    int calls_[kOps] = {};
};

} // namespace plat
