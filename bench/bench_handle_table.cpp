// The handle table: the production table (block-skipping next-fit) and a
// literal one-index-at-a-time table run the same operation stream side by
// side; both must hand out identical handles (checked before and after
// timing). Counters: ns per op of each and the speed-up; one op is a Free
// plus an Allocate (churn) or one Resolve.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <vector>

#include "world/objects/handle_table.h"

namespace {

// The table as the game always walked it: 6-byte-ish slots probed one by one.
class RefHandleTable {
public:
    struct Slot {
        uint8_t used = 0;
        uint8_t gen = 0;
        CGameObj* obj = nullptr;
    };
    ObjHandle StoreAt(CGameObj* o, int index) {
        index &= 0x7FFF;
        if (index >= 8191) {
            int g = slots[index].gen + 1;
            slots[index].gen = static_cast<uint8_t>(g > 3 ? 0 : g);
        }
        slots[index].used = 1;
        slots[index].obj = o;
        (index < 8191 ? lowCount : highCount)++;
        return (static_cast<ObjHandle>(slots[index].gen) << 15) | static_cast<ObjHandle>(index);
    }
    ObjHandle Allocate(CGameObj* o) {
        if (++lowCursor >= 8191) lowCursor = 1;
        int probes = 0;
        while (slots[lowCursor].used) {
            if (++lowCursor >= 8191) lowCursor = 1;
            if (++probes >= 8190) return 0;
        }
        return StoreAt(o, lowCursor);
    }
    void Reserve(int n) {
        highCursor += n;
        if (highCursor >= 32767) highCursor = 8191;
    }
    ObjHandle AllocateHigh(CGameObj* o) {
        Reserve(1);
        int probes = 0;
        while (slots[highCursor].used) {
            Reserve(1);
            if (++probes >= 24576) return 0;
        }
        return StoreAt(o, highCursor);
    }
    void Free(ObjHandle h, const CGameObj* o) {
        Slot& s = slots[h & 0x7FFF];
        if (s.obj == o) {
            s.used = 0;
            s.obj = nullptr;
            ((h & 0x7FFF) < 8191 ? lowCount : highCount)--;
        }
    }
    CGameObj* Resolve(ObjHandle h) const {
        const Slot& s = slots[h & 0x7FFF];
        return ((h >> 15) & 3) == s.gen ? s.obj : nullptr;
    }

    Slot slots[32767];
    int highCursor = 8191;
    int lowCursor = 1;
    int lowCount = 0;
    int highCount = 0;
};

CGameObj* Obj(uint32_t i) { return reinterpret_cast<CGameObj*>(static_cast<uintptr_t>(0x10000 + 16 * i)); }

// A fixed stream: fill a range to the occupancy, then pairs of (free the
// handle at a pseudo-random live position, allocate a new one).
struct Stream {
    int high;
    int fill;
    std::vector<uint32_t> picks;
};

Stream MakeStream(int high, double occupancy, int pairs) {
    Stream s;
    s.high = high;
    const int range = high ? 24576 : 8190;
    s.fill = static_cast<int>(range * occupancy / 100.0);
    uint32_t x = 12345;
    for (int i = 0; i < pairs; ++i) {
        x = x * 1103515245u + 12345u;
        s.picks.push_back((x >> 8) % static_cast<uint32_t>(s.fill));
    }
    return s;
}

// Runs the stream on one table; the handles of every allocation go to out.
template <class T>
void Run(T& t, const Stream& s, std::vector<ObjHandle>* out, std::vector<ObjHandle>& live, uint32_t& next) {
    for (size_t i = 0; i < s.picks.size(); ++i) {
        const uint32_t k = s.picks[i];
        t.Free(live[k], t.Resolve(live[k]));
        CGameObj* o = Obj(next++);
        const ObjHandle h = s.high ? t.AllocateHigh(o) : t.Allocate(o);
        live[k] = h;
        if (out) out->push_back(h);
    }
}

template <class T>
void Prefill(T& t, const Stream& s, std::vector<ObjHandle>& live, uint32_t& next) {
    live.clear();
    for (int i = 0; i < s.fill; ++i) live.push_back(s.high ? t.AllocateHigh(Obj(next++)) : t.Allocate(Obj(next++)));
    // Start after wraps: the cursor has gone round once already.
    for (int i = 0; i < s.fill / 2; ++i) {
        const uint32_t k = static_cast<uint32_t>(i * 7) % static_cast<uint32_t>(s.fill);
        t.Free(live[k], t.Resolve(live[k]));
        live[k] = s.high ? t.AllocateHigh(Obj(next++)) : t.Allocate(Obj(next++));
    }
}

// Both tables must agree on every handle of the stream.
void CheckSame(const Stream& s) {
    auto a = std::make_unique<CHandleTable>();
    auto b = std::make_unique<RefHandleTable>();
    std::vector<ObjHandle> la, lb, ha, hb;
    uint32_t na = 0, nb = 0;
    Prefill(*a, s, la, na);
    Prefill(*b, s, lb, nb);
    Run(*a, s, &ha, la, na);
    Run(*b, s, &hb, lb, nb);
    if (la != lb || ha != hb) {
        std::fprintf(stderr, "handle tables disagree (high %d fill %d)\n", s.high, s.fill);
        std::abort();
    }
}

constexpr int kPairs = 4096;

using Clock = std::chrono::steady_clock;

// Both tables in one loop, alternating stream runs, so that machine load
// hits both alike; counters are ns per op of each and their ratio.
void BM_Churn(benchmark::State& state) {
    const int high = static_cast<int>(state.range(0));
    const double occ = static_cast<double>(state.range(1)) / 10.0;
    const Stream s = MakeStream(high, occ, kPairs);
    CheckSame(s);
    auto ref = std::make_unique<RefHandleTable>();
    auto prod = std::make_unique<CHandleTable>();
    std::vector<ObjHandle> liveRef, liveProd;
    uint32_t nextRef = 0, nextProd = 0;
    Prefill(*ref, s, liveRef, nextRef);
    Prefill(*prod, s, liveProd, nextProd);
    Clock::duration tRef{}, tProd{};
    for (auto _ : state) {
        auto t0 = Clock::now();
        Run(*ref, s, nullptr, liveRef, nextRef);
        auto t1 = Clock::now();
        Run(*prod, s, nullptr, liveProd, nextProd);
        auto t2 = Clock::now();
        tRef += t1 - t0;
        tProd += t2 - t1;
    }
    if (liveRef != liveProd) state.SkipWithError("handle tables disagree");
    const double ops = static_cast<double>(state.iterations()) * kPairs;
    const double ref_ns = std::chrono::duration<double, std::nano>(tRef).count() / ops;
    const double prod_ns = std::chrono::duration<double, std::nano>(tProd).count() / ops;
    state.counters["ref_ns"] = ref_ns;
    state.counters["prod_ns"] = prod_ns;
    state.counters["speedup"] = prod_ns > 0 ? ref_ns / prod_ns : 0;
}

void BM_Resolve(benchmark::State& state) {
    const Stream s = MakeStream(1, 50.0, kPairs);
    auto ref = std::make_unique<RefHandleTable>();
    auto prod = std::make_unique<CHandleTable>();
    std::vector<ObjHandle> liveRef, liveProd;
    uint32_t nextRef = 0, nextProd = 0;
    Prefill(*ref, s, liveRef, nextRef);
    Prefill(*prod, s, liveProd, nextProd);
    Clock::duration tRef{}, tProd{};
    uintptr_t sum = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        for (uint32_t k : s.picks) sum += reinterpret_cast<uintptr_t>(ref->Resolve(liveRef[k]));
        benchmark::DoNotOptimize(sum);
        auto t1 = Clock::now();
        for (uint32_t k : s.picks) sum -= reinterpret_cast<uintptr_t>(prod->Resolve(liveProd[k]));
        benchmark::DoNotOptimize(sum);
        auto t2 = Clock::now();
        tRef += t1 - t0;
        tProd += t2 - t1;
    }
    if (sum != 0) state.SkipWithError("resolves disagree");
    const double ops = static_cast<double>(state.iterations()) * kPairs;
    const double ref_ns = std::chrono::duration<double, std::nano>(tRef).count() / ops;
    const double prod_ns = std::chrono::duration<double, std::nano>(tProd).count() / ops;
    state.counters["ref_ns"] = ref_ns;
    state.counters["prod_ns"] = prod_ns;
    state.counters["speedup"] = prod_ns > 0 ? ref_ns / prod_ns : 0;
}

// Arguments: range (0 lower, 1 upper), occupancy in tenths of a percent.
void ChurnArgs(benchmark::internal::Benchmark* b) {
    for (int high : {0, 1})
        for (int occ : {100, 500, 900, 999}) b->Args({high, occ});
}

BENCHMARK(BM_Churn)->Name("HandleChurn")->Apply(ChurnArgs);
BENCHMARK(BM_Resolve)->Name("HandleResolve");

} // namespace
