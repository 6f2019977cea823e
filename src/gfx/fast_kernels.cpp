#include "gfx/fast_kernels.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "gfx/color_tables.h"
#include "gfx/rle_walk.h"
#include "platform/fast_stretch.h"

#if defined(__x86_64__)
#include <immintrin.h>
#define VT_X86 1
#else
#define VT_X86 0
#endif

namespace {

typedef uint16_t U16 __attribute__((aligned(1), may_alias));

inline uint8_t* Bytes(void* p) { return static_cast<uint8_t*>(p); }
inline const uint8_t* Bytes(const void* p) { return static_cast<const uint8_t*>(p); }
inline U16* Px(uint8_t* p) { return reinterpret_cast<U16*>(p); }
inline const U16* Px(const uint8_t* p) { return reinterpret_cast<const U16*>(p); }

using rle::WalkRle;

// ---- CPU features ----

bool CpuHasAvx2() {
#if VT_X86
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

// Set once the CPU is known; until then (static initialisation) the portable
// paths run, which give the same bytes.
bool g_avx2 = CpuHasAvx2();

// ---- What a colour table is ----
//
// A table of the colour set is checked once against the per-field model:
// result = R[r] | G[g] | B[b] for every index but 0, in 5-6-5 or in 5-5-5
// (where bit 15 of the index is ignored). A blend table T[k] further has
// every field = (field x k) >> 4. The check is redone whenever one of two
// dozen probe entries has changed since: tables of the set are only ever
// rebuilt whole, by the builders, and every change between the tables they
// can build (any ambient mode, either layout) shows in the probes.

struct ShuffleTables;

struct TableInfo {
    bool separable = false;
    bool is565 = false;
    int32_t scale = -1;  // k when every field is (field x k) >> 4
    uint16_t zero = 0;   // entry 0, which may stand apart
    uint8_t r[32] = {}, g[64] = {}, b[32] = {};
    // When every field is min(((field << a) x m) >> 16, field maximum) for
    // a shift a and factor m of its own (the brightness and tint tables: each
    // channel times a factor, truncated): the shifts and factors.
    bool mul = false;
    uint8_t ar = 0, ag = 0, ab = 0;
    uint16_t mr = 0, mg = 0, mb = 0;
};

inline uint16_t Compose(const TableInfo& f, uint32_t v) {
    if (v == 0) return f.zero;
    if (f.is565) return static_cast<uint16_t>((f.r[v >> 11] << 11) | (f.g[(v >> 5) & 63] << 5) | f.b[v & 31]);
    return static_cast<uint16_t>((f.r[(v >> 10) & 31] << 10) | (f.g[(v >> 5) & 31] << 5) | f.b[v & 31]);
}

// Derives the per-field tables of t in one layout; true when they reproduce
// every entry.
bool DeriveLayout(const uint16_t* t, bool is565, TableInfo* f) {
    *f = TableInfo{};
    f->is565 = is565;
    f->zero = t[0];
    // Each field is read with another field set, so index 0 is never used.
    if (is565) {
        for (uint32_t i = 0; i < 32; ++i) f->r[i] = static_cast<uint8_t>((t[(i << 11) | 1] >> 11) & 31);
        for (uint32_t i = 0; i < 64; ++i) f->g[i] = static_cast<uint8_t>((t[(i << 5) | 0x0801] >> 5) & 63);
        for (uint32_t i = 0; i < 32; ++i) f->b[i] = static_cast<uint8_t>(t[i | 0x0820] & 31);
    } else {
        for (uint32_t i = 0; i < 32; ++i) f->r[i] = static_cast<uint8_t>((t[(i << 10) | 1] >> 10) & 31);
        for (uint32_t i = 0; i < 32; ++i) f->g[i] = static_cast<uint8_t>((t[(i << 5) | 0x0401] >> 5) & 31);
        for (uint32_t i = 0; i < 32; ++i) f->b[i] = static_cast<uint8_t>(t[i | 0x0420] & 31);
    }
    for (uint32_t c = 1; c < 65536; ++c)
        if (Compose(*f, c) != t[c]) return false;
    return true;
}

// A shift a and factor m with min(((i << a) x m) >> 16, count - 1) ==
// field[i] for every i (i << a must fit 16 bits): false when there is none.
// The least shift that works keeps the most bits of the factor.
bool FieldFactor(const uint8_t* field, int32_t count, uint8_t* shift, uint16_t* factor) {
    if (field[0] != 0) return false;
    for (int32_t a = 0; (int64_t(count - 1) << a) <= 0xFFFF; ++a) {
        // Each i bounds m from below (its value is reached) and, unless its
        // value is the clamped maximum, from above (the next is not).
        int64_t lo = 0, hi = 0xFFFF;
        for (int32_t i = 1; i < count && lo <= hi; ++i) {
            const int64_t x = int64_t(i) << a, v = field[i];
            lo = std::max(lo, (v * 65536 + x - 1) / x);
            if (v < count - 1) hi = std::min(hi, ((v + 1) * 65536 - 1) / x);
        }
        if (lo > hi) continue;
        bool ok = true;
        for (int32_t i = 0; i < count && ok; ++i)
            ok = std::min<int64_t>(((int64_t(i) << a) * lo) >> 16, count - 1) == field[i];
        if (!ok) continue;
        *shift = static_cast<uint8_t>(a);
        *factor = static_cast<uint16_t>(lo);
        return true;
    }
    return false;
}

void FindFactors(TableInfo* f) {
    const int32_t gCount = f->is565 ? 64 : 32;
    f->mul = FieldFactor(f->r, 32, &f->ar, &f->mr) && FieldFactor(f->g, gCount, &f->ag, &f->mg) &&
             FieldFactor(f->b, 32, &f->ab, &f->mb);
}

void Analyse(const uint16_t* t, TableInfo* f) {
    if (!DeriveLayout(t, true, f) && !DeriveLayout(t, false, f)) {
        *f = TableInfo{};
        return;
    }
    f->separable = true;
    FindFactors(f);
    // Some 5-5-5 tables also read as 5-6-5 (red and green kept whole); their
    // own layout may give factors where the other gives none.
    TableInfo other;
    if (f->is565 && !f->mul && DeriveLayout(t, false, &other)) {
        FindFactors(&other);
        if (other.mul) {
            other.separable = true;
            *f = other;
        }
    }
    const int32_t gCount = f->is565 ? 64 : 32;
    for (int32_t k = 0; k < 16 && f->scale < 0; ++k) {
        bool ok = f->zero == 0;
        for (int32_t i = 0; i < 32 && ok; ++i) ok = f->r[i] == ((i * k) >> 4) && f->b[i] == ((i * k) >> 4);
        for (int32_t i = 0; i < gCount && ok; ++i) ok = f->g[i] == ((i * k) >> 4);
        if (ok) f->scale = k;
    }
    // A fraction takes its own (cheaper) path.
    if (f->scale >= 0) f->mul = false;
}

constexpr uint16_t kProbes[] = {0x0000, 0xFFFF, 0x7FFF, 0x8000, 0x8001, 0x0001, 0x001F, 0x07E0,
                                0x03E0, 0xF800, 0x7C00, 0x0010, 0x0200, 0x0400, 0x4000, 0x4210,
                                0x8410, 0x1234, 0xA5A5, 0x5A5A, 0x0841, 0x0421, 0xC618, 0x39E7};
constexpr int kProbeCount = sizeof(kProbes) / sizeof(kProbes[0]);

// Byte tables for the vector lookup: each field's table split into rows of
// 16 entries, the form a byte shuffle reads.
struct alignas(16) ShuffleTables {
    uint8_t r[2][16], g[4][16], b[2][16];
    uint16_t zero;
    bool is565;
    bool mul;
    uint8_t ar, ag, ab;
    uint16_t mr, mg, mb;
};

void MakeShuffle(const TableInfo& f, ShuffleTables* s) {
    std::memcpy(s->r, f.r, 32);
    std::memcpy(s->g, f.g, 64);
    std::memcpy(s->b, f.b, 32);
    s->zero = f.zero;
    s->is565 = f.is565;
    s->mul = f.mul;
    s->ar = f.ar;
    s->ag = f.ag;
    s->ab = f.ab;
    s->mr = f.mr;
    s->mg = f.mg;
    s->mb = f.mb;
}

struct Slot {
    const uint16_t* table = nullptr;
    uint16_t probes[kProbeCount] = {};
    uint32_t stableEpoch = 0;  // the stable-tables scope it was last checked in
    TableInfo info;
    ShuffleTables shuffle;
};
// What was learnt of each table of the set. Drawing is single-threaded, and
// so is this cache.
Slot g_slots[kColorTableCount];

// Open stable-tables scopes, and the number of the outermost one (0: none).
int32_t g_stableDepth = 0;
uint32_t g_stableEpoch = 0;
uint32_t g_epochCounter = 0;

// The checked description of table k of the colour set (which is t).
const Slot* DescribeIndex(int32_t k, const uint16_t* t) {
    Slot& s = g_slots[k];
    // The probes lie in 24 cache lines of a 128 KiB table: inside a scope
    // they are read once.
    if (g_stableEpoch != 0 && s.stableEpoch == g_stableEpoch && s.table == t) return &s;
    bool same = s.table == t;
    for (int i = 0; i < kProbeCount && same; ++i) same = s.probes[i] == t[kProbes[i]];
    if (!same) {
        s.table = t;
        for (int i = 0; i < kProbeCount; ++i) s.probes[i] = t[kProbes[i]];
        Analyse(t, &s.info);
        MakeShuffle(s.info, &s.shuffle);
    }
    s.stableEpoch = g_stableEpoch;
    return &s;
}

// The checked description of a table of the colour set; null for any other
// table (caller's own tables are looked up as they are) or before the set
// is built.
const Slot* Describe(const uint16_t* t) {
    if (!t || !g_ColorTables) return nullptr;
    int32_t k = 0;
    while (k < kColorTableCount && g_ColorTables[k] != t) ++k;
    return k < kColorTableCount ? DescribeIndex(k, t) : nullptr;
}

const TableInfo* Separable(const uint16_t* t) {
    const Slot* s = Describe(t);
    return s && s->info.separable ? &s->info : nullptr;
}

// All sixteen blend tables as scale tables of one layout: true, with the
// layout, when the fast alpha blend may run.
bool CheckBlendSet(bool* is565) {
    if (!g_BlendTables || !g_ColorTables) return false;
    for (int32_t k = 0; k < 16; ++k) {
        const uint16_t* t = g_BlendTables[k];
        const Slot* s = t == g_ColorTables[kFirstBlendTable + k] ? DescribeIndex(kFirstBlendTable + k, t) : Describe(t);
        if (!s || s->info.scale != k) return false;
        // T[0] is all zeros and fits either layout; the others must agree.
        if (k == 1) *is565 = s->info.is565;
        else if (k > 1 && s->info.is565 != *is565) return false;
    }
    return true;
}

// Within one stable-tables scope the answer for one blend set is kept: a
// sprite's alpha parts would otherwise check the sixteen tables per part.
struct BlendSetAnswer {
    uint32_t epoch = 0;
    uint16_t* const* set = nullptr;
    bool scale = false, is565 = true;
} g_blendSetAnswer;

bool BlendSetIsScale(bool* is565) {
    BlendSetAnswer& c = g_blendSetAnswer;
    if (g_stableEpoch != 0 && c.epoch == g_stableEpoch && c.set == g_BlendTables) {
        *is565 = c.is565;
        return c.scale;
    }
    const bool scale = CheckBlendSet(is565);
    c = BlendSetAnswer{g_stableEpoch, g_BlendTables, scale, *is565};
    return scale;
}

// True when the pixel ranges of two row sets overlap other than exactly
// (exact overlap keeps every pixel's read before its write).
bool PartlyOverlaps(const uint8_t* d, ptrdiff_t dPitch, const uint8_t* s, ptrdiff_t sPitch, int32_t w, int32_t h) {
    if (d == s && dPitch == sPitch) return false;
    auto range = [w, h](const uint8_t* p, ptrdiff_t pitch, const uint8_t** lo, const uint8_t** hi) {
        const uint8_t* last = p + pitch * (h - 1);
        *lo = std::min(p, last);
        *hi = std::max(p, last) + 2 * static_cast<ptrdiff_t>(w);
    };
    const uint8_t *dl, *dh, *sl, *sh;
    range(d, dPitch, &dl, &dh);
    range(s, sPitch, &sl, &sh);
    return dl < sh && sl < dh;
}

// ---- Portable per-pixel arithmetic ----
// Plain per-pixel loops with no branches: the compiler turns them into
// vector code of the baseline instruction set (it does better so than
// hand-written 64-bit words of four pixels, measured).

// Every field x k >> 4, in 16-bit arithmetic so that it vectorises as
// 16-bit multiplies (no product of a field and k <= 15 exceeds 945). Lanes
// whose result is dropped may carry any k; their products just wrap.
inline uint16_t Mul16(uint16_t a, uint16_t b) { return static_cast<uint16_t>(a * b); }

template <bool k565>
inline uint16_t ScalePx(uint16_t v, uint16_t k) {
    const uint16_t b = static_cast<uint16_t>(Mul16(v & 31, k) >> 4);
    if (k565) {
        const uint16_t g = static_cast<uint16_t>(Mul16((v >> 5) & 63, k) >> 4);
        const uint16_t r = static_cast<uint16_t>(Mul16(v >> 11, k) >> 4);
        return static_cast<uint16_t>(r << 11 | g << 5 | b);
    }
    const uint16_t g = static_cast<uint16_t>(Mul16((v >> 5) & 31, k) >> 4);
    const uint16_t r = static_cast<uint16_t>(Mul16((v >> 10) & 31, k) >> 4);
    return static_cast<uint16_t>(r << 10 | g << 5 | b);
}

template <bool k565>
void ScaleRowP(U16* dp, const U16* sp, int32_t n, uint16_t k) {
    for (int32_t x = 0; x < n; ++x) dp[x] = ScalePx<k565>(sp[x], k);
}

template <bool k565>
void BlendRowP(U16* dp, const U16* sp, int32_t n, uint16_t kd, uint16_t ks, bool keyed, uint16_t key) {
    if (keyed) {
        for (int32_t x = 0; x < n; ++x) {
            const uint16_t v = sp[x], u = dp[x];
            const uint16_t out = static_cast<uint16_t>(ScalePx<k565>(u, kd) + ScalePx<k565>(v, ks));
            dp[x] = v != key ? out : u;
        }
    } else {
        for (int32_t x = 0; x < n; ++x)
            dp[x] = static_cast<uint16_t>(ScalePx<k565>(dp[x], kd) + ScalePx<k565>(sp[x], ks));
    }
}

template <bool k565>
void AlphaRowP(U16* dp, const U16* sp, const uint8_t* al, int32_t n, int32_t fade) {
    const int16_t f = static_cast<int16_t>(fade);
    for (int32_t x = 0; x < n; ++x) {
        const int16_t a = static_cast<int16_t>((al[x] >> 4) - f);
        const uint16_t ua = static_cast<uint16_t>(a);
        const uint16_t u = dp[x];
        const uint16_t out =
            static_cast<uint16_t>(ScalePx<k565>(sp[x], ua) + ScalePx<k565>(u, static_cast<uint16_t>(15 - ua)));
        dp[x] = a > 1 ? out : u;
    }
}

// ---- AVX2 ----
#if VT_X86
#define VT_AVX2 __attribute__((target("avx2")))

VT_AVX2 inline __m256i ScaleV(__m256i v, __m256i k, bool is565) {
    const __m256i m5 = _mm256_set1_epi16(31);
    const __m256i b = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_and_si256(v, m5), k), 4);
    if (is565) {
        const __m256i g = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_and_si256(_mm256_srli_epi16(v, 5), _mm256_set1_epi16(63)), k), 4);
        const __m256i r = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_srli_epi16(v, 11), k), 4);
        return _mm256_or_si256(_mm256_or_si256(b, _mm256_slli_epi16(g, 5)), _mm256_slli_epi16(r, 11));
    }
    const __m256i g = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_and_si256(_mm256_srli_epi16(v, 5), m5), k), 4);
    const __m256i r = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_and_si256(_mm256_srli_epi16(v, 10), m5), k), 4);
    return _mm256_or_si256(_mm256_or_si256(b, _mm256_slli_epi16(g, 5)), _mm256_slli_epi16(r, 10));
}

VT_AVX2 inline __m256i LoadV(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
VT_AVX2 inline void StoreV(uint8_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }

// A field table as byte-shuffle rows, the same in both 128-bit halves.
struct ShuffleV {
    __m256i r[2], g[4], b[2];
    __m256i zero;
    __m256i mr, mg, mb;
    __m128i ar, ag, ab;  // shift counts
    bool is565;
    bool mul;
};

VT_AVX2 inline __m256i ShuffleRow(const uint8_t* p) {
    return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(p)));
}

VT_AVX2 inline void LoadShuffle(const ShuffleTables& s, ShuffleV* v) {
    for (int i = 0; i < 2; ++i) v->r[i] = ShuffleRow(s.r[i]);
    for (int i = 0; i < 4; ++i) v->g[i] = ShuffleRow(s.g[i]);
    for (int i = 0; i < 2; ++i) v->b[i] = ShuffleRow(s.b[i]);
    v->zero = _mm256_set1_epi16(static_cast<short>(s.zero));
    v->mr = _mm256_set1_epi16(static_cast<short>(s.mr));
    v->mg = _mm256_set1_epi16(static_cast<short>(s.mg));
    v->mb = _mm256_set1_epi16(static_cast<short>(s.mb));
    v->ar = _mm_cvtsi32_si128(s.ar);
    v->ag = _mm_cvtsi32_si128(s.ag);
    v->ab = _mm_cvtsi32_si128(s.ab);
    v->is565 = s.is565;
    v->mul = s.mul;
}

// idx: field values in 16-bit lanes with 0x80 in the high byte, so the
// shuffle writes 0 there. Bit 4 (and bit 5) pick the row.
VT_AVX2 inline __m256i Look32(const __m256i* t, __m256i idx) {
    return _mm256_blendv_epi8(_mm256_shuffle_epi8(t[0], idx), _mm256_shuffle_epi8(t[1], idx), _mm256_slli_epi16(idx, 3));
}
VT_AVX2 inline __m256i Look64(const __m256i* t, __m256i idx) {
    const __m256i sel4 = _mm256_slli_epi16(idx, 3);
    const __m256i lo = _mm256_blendv_epi8(_mm256_shuffle_epi8(t[0], idx), _mm256_shuffle_epi8(t[1], idx), sel4);
    const __m256i hi = _mm256_blendv_epi8(_mm256_shuffle_epi8(t[2], idx), _mm256_shuffle_epi8(t[3], idx), sel4);
    return _mm256_blendv_epi8(lo, hi, _mm256_slli_epi16(idx, 2));
}

VT_AVX2 inline __m256i LookupV(const ShuffleV& t, __m256i v) {
    const __m256i top = _mm256_set1_epi16(static_cast<short>(0x8000));
    const __m256i m5 = _mm256_set1_epi16(31);
    const __m256i bi = _mm256_or_si256(_mm256_and_si256(v, m5), top);
    __m256i out;
    if (t.is565) {
        const __m256i gi = _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi16(v, 5), _mm256_set1_epi16(63)), top);
        const __m256i ri = _mm256_or_si256(_mm256_srli_epi16(v, 11), top);
        out = _mm256_or_si256(_mm256_or_si256(Look32(t.b, bi), _mm256_slli_epi16(Look64(t.g, gi), 5)),
                              _mm256_slli_epi16(Look32(t.r, ri), 11));
    } else {
        const __m256i gi = _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi16(v, 5), m5), top);
        const __m256i ri = _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi16(v, 10), m5), top);
        out = _mm256_or_si256(_mm256_or_si256(Look32(t.b, bi), _mm256_slli_epi16(Look32(t.g, gi), 5)),
                              _mm256_slli_epi16(Look32(t.r, ri), 10));
    }
    // Index 0 has an entry of its own.
    return _mm256_blendv_epi8(out, t.zero, _mm256_cmpeq_epi16(v, _mm256_setzero_si256()));
}

// The same for a table of per-field factors: a multiply in place of the
// shuffles.
VT_AVX2 inline __m256i MulField(__m256i i, __m128i a, __m256i m, __m256i most) {
    return _mm256_min_epu16(_mm256_mulhi_epu16(_mm256_sll_epi16(i, a), m), most);
}

VT_AVX2 inline __m256i MulV(const ShuffleV& t, __m256i v) {
    const __m256i m5 = _mm256_set1_epi16(31);
    const __m256i b = MulField(_mm256_and_si256(v, m5), t.ab, t.mb, m5);
    __m256i out;
    if (t.is565) {
        const __m256i m6 = _mm256_set1_epi16(63);
        const __m256i g = MulField(_mm256_and_si256(_mm256_srli_epi16(v, 5), m6), t.ag, t.mg, m6);
        const __m256i r = MulField(_mm256_srli_epi16(v, 11), t.ar, t.mr, m5);
        out = _mm256_or_si256(_mm256_or_si256(b, _mm256_slli_epi16(g, 5)), _mm256_slli_epi16(r, 11));
    } else {
        const __m256i g = MulField(_mm256_and_si256(_mm256_srli_epi16(v, 5), m5), t.ag, t.mg, m5);
        const __m256i r = MulField(_mm256_and_si256(_mm256_srli_epi16(v, 10), m5), t.ar, t.mr, m5);
        out = _mm256_or_si256(_mm256_or_si256(b, _mm256_slli_epi16(g, 5)), _mm256_slli_epi16(r, 10));
    }
    return _mm256_blendv_epi8(out, t.zero, _mm256_cmpeq_epi16(v, _mm256_setzero_si256()));
}

// Every vector kernel is an operation on 16 pixels (source, destination and
// alpha lanes). A row runs it on whole blocks; the part-block at the end is
// redone as the row's last 16 pixels, read before anything is written so a
// pixel done twice gets the same value both times. Rows of 8-15 pixels use
// two (overlapping) halves, shorter ones copies on the stack. The row
// functions return how many pixels they did (0 for rows below kMinTail).
constexpr int32_t kMinTail = 4;

VT_AVX2 inline __m256i Halves(const uint8_t* p, int32_t o) {
    return _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * o)), 1);
}
VT_AVX2 inline __m256i AlphaLanes(const uint8_t* al) {
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(al)));
}
VT_AVX2 inline __m256i AlphaHalves(const uint8_t* al, int32_t o) {
    const __m128i lo = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(al));
    const __m128i hi = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(al + o));
    return _mm256_cvtepu8_epi16(_mm_unpacklo_epi64(lo, hi));
}

template <class Op>
VT_AVX2 inline int32_t RowV(uint8_t* d, const uint8_t* s, const uint8_t* al, int32_t n, const Op& op) {
    const __m256i none = _mm256_setzero_si256();
    if (n < 8) {
        if (n < kMinTail) return 0;
        alignas(32) uint8_t db[32] = {}, sb[32] = {}, ab[16] = {};
        const size_t bytes = 2 * static_cast<size_t>(n);
        std::memcpy(sb, s, bytes);
        if (Op::kReadsDst) std::memcpy(db, d, bytes);
        if (Op::kAlpha) std::memcpy(ab, al, static_cast<size_t>(n));
        StoreV(db, op(LoadV(sb), Op::kReadsDst ? LoadV(db) : none, Op::kAlpha ? AlphaLanes(ab) : none));
        std::memcpy(d, db, bytes);
        return n;
    }
    if (n < 16) {
        const int32_t o = n - 8;
        const __m256i out =
            op(Halves(s, o), Op::kReadsDst ? Halves(d, o) : none, Op::kAlpha ? AlphaHalves(al, o) : none);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm256_castsi256_si128(out));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 2 * o), _mm256_extracti128_si256(out, 1));
        return n;
    }
    const int32_t last = n - 16;
    const __m256i lastS = LoadV(s + 2 * last);
    const __m256i lastD = Op::kReadsDst ? LoadV(d + 2 * last) : none;
    const __m256i lastA = Op::kAlpha ? AlphaLanes(al + last) : none;
    int32_t x = 0;
    for (; x + 16 <= n; x += 16)
        StoreV(d + 2 * x, op(LoadV(s + 2 * x), Op::kReadsDst ? LoadV(d + 2 * x) : none,
                             Op::kAlpha ? AlphaLanes(al + x) : none));
    if (x < n) StoreV(d + 2 * last, op(lastS, lastD, lastA));
    return n;
}

struct KeyedOp {
    static constexpr bool kReadsDst = true, kAlpha = false;
    __m256i key;
    VT_AVX2 __m256i operator()(__m256i s, __m256i d, __m256i) const {
        return _mm256_blendv_epi8(s, d, _mm256_cmpeq_epi16(s, key));
    }
};

// d = scale(d, kd) + scale(s, ks) where s is not the key (keyed false: every pixel).
struct BlendOp {
    static constexpr bool kReadsDst = true, kAlpha = false;
    __m256i kd, ks, key;
    bool is565, keyed;
    VT_AVX2 __m256i operator()(__m256i s, __m256i d, __m256i) const {
        const __m256i out = _mm256_add_epi16(ScaleV(d, kd, is565), ScaleV(s, ks, is565));
        return keyed ? _mm256_blendv_epi8(out, d, _mm256_cmpeq_epi16(s, key)) : out;
    }
};

struct LookupOp {
    static constexpr bool kReadsDst = false, kAlpha = false;
    const ShuffleV* t;
    VT_AVX2 __m256i operator()(__m256i s, __m256i, __m256i) const { return LookupV(*t, s); }
};

struct MulOp {
    static constexpr bool kReadsDst = false, kAlpha = false;
    const ShuffleV* t;
    VT_AVX2 __m256i operator()(__m256i s, __m256i, __m256i) const { return MulV(*t, s); }
};

struct ScaleOp {
    static constexpr bool kReadsDst = false, kAlpha = false;
    __m256i k;
    bool is565;
    VT_AVX2 __m256i operator()(__m256i s, __m256i, __m256i) const { return ScaleV(s, k, is565); }
};

// Pixels with a = (alpha >> 4) - fade above 1 become scale(s, a) +
// scale(d, 15 - a). Levels of pixels that are not drawn may be out of range;
// they only feed the (wrapping) multiplies of lanes that are dropped.
struct AlphaOp {
    static constexpr bool kReadsDst = true, kAlpha = true;
    __m256i fade;
    bool is565;
    VT_AVX2 __m256i operator()(__m256i s, __m256i d, __m256i a8) const {
        const __m256i a = _mm256_sub_epi16(_mm256_srli_epi16(a8, 4), fade);
        const __m256i draw = _mm256_cmpgt_epi16(a, _mm256_set1_epi16(1));
        const __m256i out =
            _mm256_add_epi16(ScaleV(s, a, is565), ScaleV(d, _mm256_sub_epi16(_mm256_set1_epi16(15), a), is565));
        return _mm256_blendv_epi8(d, out, draw);
    }
};

VT_AVX2 int32_t KeyedRowV(uint8_t* d, const uint8_t* s, int32_t n, uint16_t key) {
    return RowV(d, s, nullptr, n, KeyedOp{_mm256_set1_epi16(static_cast<short>(key))});
}

VT_AVX2 int32_t BlendRowV(uint8_t* d, const uint8_t* s, int32_t n, int32_t kd, int32_t ks, bool is565, bool keyed,
                          uint16_t key) {
    const BlendOp op{_mm256_set1_epi16(static_cast<short>(kd)), _mm256_set1_epi16(static_cast<short>(ks)),
                     _mm256_set1_epi16(static_cast<short>(key)), is565, keyed};
    return RowV(d, s, nullptr, n, op);
}

VT_AVX2 int32_t LookupRowV(uint8_t* d, const uint8_t* s, int32_t n, const ShuffleV& t) {
    return t.mul ? RowV(d, s, nullptr, n, MulOp{&t}) : RowV(d, s, nullptr, n, LookupOp{&t});
}

VT_AVX2 int32_t ScaleRowV(uint8_t* d, const uint8_t* s, int32_t n, int32_t k, bool is565) {
    return RowV(d, s, nullptr, n, ScaleOp{_mm256_set1_epi16(static_cast<short>(k)), is565});
}

VT_AVX2 int32_t AlphaRowV(uint8_t* d, const uint8_t* s, const uint8_t* al, int32_t n, int32_t fade, bool is565) {
    return RowV(d, s, al, n, AlphaOp{_mm256_set1_epi16(static_cast<short>(fade)), is565});
}

// Two rows of 8-15 pixels of an operation that reads only the source, in
// one or two vectors of 8 + 8: the same pixels of both rows share a vector.
// Everything is read before anything is written, so in-place rows (d == s)
// whose pixels are done twice get the same value both times.
VT_AVX2 inline __m256i BothRows(const uint8_t* a, const uint8_t* b) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a))),
                                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(b)), 1);
}
VT_AVX2 inline void StoreBothRows(uint8_t* a, uint8_t* b, __m256i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(a), _mm256_castsi256_si128(v));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(b), _mm256_extracti128_si256(v, 1));
}

template <class Op>
VT_AVX2 inline void PairV(uint8_t* d0, uint8_t* d1, const uint8_t* s0, const uint8_t* s1, int32_t n, const Op& op) {
    static_assert(!Op::kReadsDst && !Op::kAlpha);
    const __m256i none = _mm256_setzero_si256();
    const int32_t o = n - 8;
    const __m256i first = BothRows(s0, s1);
    if (o == 0) {
        StoreBothRows(d0, d1, op(first, none, none));
        return;
    }
    const __m256i last = BothRows(s0 + 2 * o, s1 + 2 * o);
    const __m256i a = op(first, none, none), b = op(last, none, none);
    StoreBothRows(d0, d1, a);
    StoreBothRows(d0 + 2 * o, d1 + 2 * o, b);
}

VT_AVX2 void LookupPairV(uint8_t* d0, uint8_t* d1, const uint8_t* s0, const uint8_t* s1, int32_t n,
                         const ShuffleV& t) {
    if (t.mul) PairV(d0, d1, s0, s1, n, MulOp{&t});
    else PairV(d0, d1, s0, s1, n, LookupOp{&t});
}

VT_AVX2 void ScalePairV(uint8_t* d0, uint8_t* d1, const uint8_t* s0, const uint8_t* s1, int32_t n, int32_t k,
                        bool is565) {
    PairV(d0, d1, s0, s1, n, ScaleOp{_mm256_set1_epi16(static_cast<short>(k)), is565});
}
#endif

// ---- Rows, fast where the tables allow, looked up otherwise ----

// d[i] = table[s[i]] for n pixels (d may equal s).
struct RowMapper {
    const uint16_t* table = nullptr;
    const TableInfo* info = nullptr;
#if VT_X86
    ShuffleV shuffle;
#endif
    bool vec = false;

    void Init(const uint16_t* t) {
        table = t;
        const Slot* s = Describe(t);
        info = s && s->info.separable ? &s->info : nullptr;
        vec = false;
#if VT_X86
        if (info && g_avx2) {
            InitVec(s->shuffle);
            vec = true;
        }
#endif
    }
#if VT_X86
    VT_AVX2 void InitVec(const ShuffleTables& s) { LoadShuffle(s, &shuffle); }
#endif

    // The same n pixels of two rows (8 <= n < 16); false, with nothing
    // done, where there is no vector path for it.
    bool Pair(uint8_t* d0, uint8_t* d1, const uint8_t* s0, const uint8_t* s1, int32_t n) const {
#if VT_X86
        if (vec && n >= 8 && n < 16) {
            if (info->scale >= 0) ScalePairV(d0, d1, s0, s1, n, info->scale, info->is565);
            else LookupPairV(d0, d1, s0, s1, n, shuffle);
            return true;
        }
#else
        (void)d0, (void)d1, (void)s0, (void)s1, (void)n;
#endif
        return false;
    }

    void Row(uint8_t* d, const uint8_t* s, int32_t n) const {
        int32_t x = 0;
#if VT_X86
        if (vec) x = info->scale >= 0 ? ScaleRowV(d, s, n, info->scale, info->is565) : LookupRowV(d, s, n, shuffle);
#endif
        if (x < n && info && info->scale >= 0) {
            const uint16_t k = static_cast<uint16_t>(info->scale);
            if (info->is565) ScaleRowP<true>(Px(d + 2 * x), Px(s + 2 * x), n - x, k);
            else ScaleRowP<false>(Px(d + 2 * x), Px(s + 2 * x), n - x, k);
            return;
        }
        const U16* sp = Px(s);
        U16* dp = Px(d);
        for (; x < n; ++x) dp[x] = table[sp[x]];
    }
};

// Copies n bytes of a run (source and destination never overlap). Sprite
// runs are mostly a few pixels: those are copied inline as two overlapping
// moves of a fixed size rather than through a library call each.
inline void CopyRun(uint8_t* d, const uint8_t* s, int32_t n) {
    if (n > 32) {
        std::memcpy(d, s, static_cast<size_t>(n));
    } else if (n >= 16) {
        uint8_t a[16], b[16];
        std::memcpy(a, s, 16);
        std::memcpy(b, s + n - 16, 16);
        std::memcpy(d, a, 16);
        std::memcpy(d + n - 16, b, 16);
    } else if (n >= 8) {
        uint64_t a, b;
        std::memcpy(&a, s, 8);
        std::memcpy(&b, s + n - 8, 8);
        std::memcpy(d, &a, 8);
        std::memcpy(d + n - 8, &b, 8);
    } else if (n >= 4) {
        uint32_t a, b;
        std::memcpy(&a, s, 4);
        std::memcpy(&b, s + n - 4, 4);
        std::memcpy(d, &a, 4);
        std::memcpy(d + n - 4, &b, 4);
    } else if (n >= 2) {
        uint16_t a, b;
        std::memcpy(&a, s, 2);
        std::memcpy(&b, s + n - 2, 2);
        std::memcpy(d, &a, 2);
        std::memcpy(d + n - 2, &b, 2);
    } else if (n == 1) {
        *d = *s;
    }
}

void AlphaSpan(uint8_t* d, const uint8_t* s, const uint8_t* al, int32_t n, int32_t fade, bool scaleSet, bool is565,
               uint16_t* const* T) {
    int32_t k = 0;
#if VT_X86
    if (scaleSet && g_avx2) k = AlphaRowV(d, s, al, n, fade, is565);
#endif
    if (k == n) return;
    if (scaleSet) {
        if (is565) AlphaRowP<true>(Px(d + 2 * k), Px(s + 2 * k), al + k, n - k, fade);
        else AlphaRowP<false>(Px(d + 2 * k), Px(s + 2 * k), al + k, n - k, fade);
        return;
    }
    for (; k < n; ++k) {
        const int32_t a = (al[k] >> 4) - fade;
        if (a <= 1) continue;
        U16* dp = Px(d + 2 * k);
        *dp = static_cast<uint16_t>(T[a][*Px(s + 2 * k)] + T[15 - a][*dp]);
    }
}

void RleAlphaImpl(void* dst, const RleRows& rows, const RleRows& alpha, int32_t widthBytes, int32_t rowCount,
                  int32_t dstPitch, int32_t imageWidth, int32_t skipBytes, int32_t fade) {
    if (!g_BlendTables || widthBytes <= 0 || rowCount <= 0) return;
    uint16_t* const* T = g_BlendTables;
    bool is565 = true;
    const bool scaleSet = BlendSetIsScale(&is565);
    rle::WalkRleAlpha(Bytes(dst), rows, alpha, widthBytes, rowCount, dstPitch, imageWidth, skipBytes,
                      [&](uint8_t* d, const uint8_t* s, const uint8_t* al, int32_t n) {
                          AlphaSpan(d, s, al, n, fade, scaleSet, is565, T);
                      });
}

// Blend of a row: d = dt[d] + st[s] where s != key.
struct RowBlender {
    const uint16_t* dt;
    const uint16_t* st;
    int32_t kd = -1, ks = -1;
    bool is565 = true;
    bool Arithmetic() const { return kd >= 0 && ks >= 0; }

    RowBlender(const uint16_t* dstTable, const uint16_t* srcTable) : dt(dstTable), st(srcTable) {
        const TableInfo* a = Separable(dstTable);
        const TableInfo* b = Separable(srcTable);
        if (!a || !b || a->scale < 0 || b->scale < 0) return;
        // T[0] is all zeros in both layouts; otherwise the layouts must agree.
        if (a->scale > 0 && b->scale > 0 && a->is565 != b->is565) return;
        kd = a->scale;
        ks = b->scale;
        is565 = a->scale > 0 ? a->is565 : b->is565;
    }

    void Row(uint8_t* d, const uint8_t* s, int32_t n, bool keyed, uint16_t key) const {
        int32_t x = 0;
        U16* dp = Px(d);
        const U16* sp = Px(s);
        if (Arithmetic()) {
#if VT_X86
            if (g_avx2) x = BlendRowV(d, s, n, kd, ks, is565, keyed, key);
#endif
            if (x == n) return;
            const uint16_t ud = static_cast<uint16_t>(kd), us = static_cast<uint16_t>(ks);
            if (is565) BlendRowP<true>(dp + x, sp + x, n - x, ud, us, keyed, key);
            else BlendRowP<false>(dp + x, sp + x, n - x, ud, us, keyed, key);
            return;
        }
        for (; x < n; ++x) {
            const uint16_t v = sp[x];
            if (!keyed || v != key) dp[x] = static_cast<uint16_t>(dt[dp[x]] + st[v]);
        }
    }
};

} // namespace

// ---- Fast kernels ----

namespace fast {

void UseVectorPaths(bool on) { g_avx2 = on && CpuHasAvx2(); }
bool VectorPathsInUse() { return g_avx2; }

StableTablesScope::StableTablesScope() {
    if (g_stableDepth++ == 0) {
        // 0 stands for "no scope".
        if (++g_epochCounter == 0) {
            for (Slot& s : g_slots) s.stableEpoch = 0;
            g_blendSetAnswer = {};
            g_epochCounter = 1;
        }
        g_stableEpoch = g_epochCounter;
    }
}

StableTablesScope::~StableTablesScope() {
    if (--g_stableDepth == 0) g_stableEpoch = 0;
}

TableTraits DescribeTable(const uint16_t* table) {
    const Slot* s = Describe(table);
    if (!s || !s->info.separable) return {false, false, -1, false};
    return {true, s->info.is565, s->info.scale, s->info.mul};
}

void KeyedCopy16(void* dst, const void* src, int32_t w, int32_t h, int32_t dstPitch, int32_t srcPitch,
                 uint32_t key) {
    if (w <= 0 || h <= 0) return;
    uint8_t* d = Bytes(dst);
    const uint8_t* s = Bytes(src);
    if (key > 0xFFFF) {
        for (int32_t y = 0; y < h; ++y, d += dstPitch, s += srcPitch) std::memmove(d, s, static_cast<size_t>(w) * 2);
        return;
    }
    if (PartlyOverlaps(d, dstPitch, s, srcPitch, w, h)) {
        ref::KeyedCopy16(dst, src, w, h, dstPitch, srcPitch, key);
        return;
    }
    const uint16_t k = static_cast<uint16_t>(key);
    for (int32_t y = 0; y < h; ++y, d += dstPitch, s += srcPitch) {
        int32_t x = 0;
#if VT_X86
        if (g_avx2) x = KeyedRowV(d, s, w, k);
#endif
        U16* dp = Px(d);
        const U16* sp = Px(s);
        for (; x < w; ++x) {
            const uint16_t v = sp[x], under = dp[x];
            dp[x] = v != k ? v : under;
        }
    }
}

void BlendCopy16(void* dst, const void* src, int32_t w, int32_t h, int32_t dstPitch, int32_t srcPitch,
                 const uint16_t* dstTable, const uint16_t* srcTable, uint32_t key) {
    if (w <= 0 || h <= 0 || !dstTable || !srcTable) return;
    uint8_t* d = Bytes(dst);
    const uint8_t* s = Bytes(src);
    if (PartlyOverlaps(d, dstPitch, s, srcPitch, w, h)) {
        ref::BlendCopy16(dst, src, w, h, dstPitch, srcPitch, dstTable, srcTable, key);
        return;
    }
    const RowBlender blend(dstTable, srcTable);
    const bool keyed = key <= 0xFFFF;
    for (int32_t y = 0; y < h; ++y, d += dstPitch, s += srcPitch)
        blend.Row(d, s, w, keyed, static_cast<uint16_t>(key));
}

void TableMap16(void* dst, int32_t w, int32_t h, int32_t dstPitch, const uint16_t* table) {
    if (w <= 0 || h <= 0 || !table) return;
    RowMapper map;
    map.Init(table);
    uint8_t* d = Bytes(dst);
    for (int32_t y = 0; y < h; ++y, d += dstPitch) map.Row(d, d, w);
}

void RleCopy(void* dst, const RleRows& rows, int32_t widthBytes, int32_t rowCount, int32_t dstPitch,
             int32_t skipBytes) {
    WalkRle(Bytes(dst), rows, widthBytes, rowCount, dstPitch, skipBytes,
            [](uint8_t* d, const uint8_t* s, int32_t n, int32_t) { CopyRun(d, s, n); });
}

void RleTable16(void* dst, const RleRows& rows, int32_t widthBytes, int32_t rowCount, int32_t dstPitch,
                int32_t skipBytes, const uint16_t* table) {
    if (!table) return;
    RowMapper map;
    map.Init(table);
    WalkRle(Bytes(dst), rows, widthBytes, rowCount, dstPitch, skipBytes,
            [&map](uint8_t* d, const uint8_t* s, int32_t n, int32_t) { map.Row(d, s, n / 2); });
}

void RleBlend16(void* dst, const RleRows& rows, int32_t widthBytes, int32_t rowCount, int32_t dstPitch,
                int32_t skipBytes, const uint16_t* srcTable, const uint16_t* dstTable) {
    if (!srcTable || !dstTable) return;
    const RowBlender blend(dstTable, srcTable);
    WalkRle(Bytes(dst), rows, widthBytes, rowCount, dstPitch, skipBytes,
            [&blend](uint8_t* d, const uint8_t* s, int32_t n, int32_t) { blend.Row(d, s, n / 2, false, 0); });
}

void RleAlpha16(void* dst, const RleRows& rows, const RleRows& alpha, int32_t widthBytes, int32_t rowCount,
                int32_t dstPitch, int32_t imageWidth, int32_t skipBytes) {
    RleAlphaImpl(dst, rows, alpha, widthBytes, rowCount, dstPitch, imageWidth, skipBytes, 0);
}

void RleAlphaFaded16(void* dst, const RleRows& rows, const RleRows& alpha, int32_t widthBytes, int32_t rowCount,
                     int32_t dstPitch, int32_t imageWidth, int32_t skipBytes, int32_t fade) {
    RleAlphaImpl(dst, rows, alpha, widthBytes, rowCount, dstPitch, imageWidth, skipBytes, std::clamp(fade, 0, 15));
}

void LightApply16(const LightApplyArgs& a) {
    if (a.w <= 0 || a.h <= 0 || a.cell < 1 || a.mapWidth < 1 || a.mapHeight < 1 || !a.levels || !a.tables) return;
    if (PartlyOverlaps(a.dst, a.dstPitch, a.src, a.srcPitch, a.w, a.h)) {
        LightApply16Reference(a);
        return;
    }
    // One mapper per distinct table, made when a level first shows up.
    // More distinct tables than this (never so in a game frame) are looked
    // up directly.
    constexpr int16_t kMaxMappers = 48;
    RowMapper mappers[kMaxMappers];
    int16_t mapperCount = 0;
    int16_t which[256];
    std::fill(std::begin(which), std::end(which), int16_t(-1));
    const int32_t cell = a.cell, lastCol = a.mapWidth - 1, firstCol = a.x / cell;
    const auto gridRowOf = [&a, cell](int32_t r) { return std::min((a.y + r) / cell, a.mapHeight - 1); };
    // The rows of one grid row share their spans: each is worked out once
    // for the band, and the rows are done two at a time where a span is a
    // single cell (8-15 pixels, too short to fill a vector from one row).
    struct Span {
        int32_t i, end;
        int16_t mapper;
        uint8_t level;
    };
    Span spans[1024];
    for (int32_t r = 0; r < a.h;) {
        const int32_t gridRow = gridRowOf(r);
        int32_t rEnd = r + 1;
        while (rEnd < a.h && gridRowOf(rEnd) == gridRow) ++rEnd;
        const uint8_t* levels = a.levels + static_cast<ptrdiff_t>(gridRow) * a.mapWidth;
        int32_t i = 0;
        while (i < a.w) {
            // Spans are kept in a fixed array: a band with more (wider than
            // any screen) is done in parts.
            int32_t count = 0;
            for (; i < a.w && count < static_cast<int32_t>(std::size(spans)); ++count) {
                // Cells of one level side by side are done as one span.
                const uint8_t level = levels[std::min(firstCol + i / cell, lastCol)];
                int32_t end = std::min(a.w, (i / cell + 1) * cell);
                while (end < a.w && levels[std::min(firstCol + end / cell, lastCol)] == level)
                    end = std::min(a.w, end + cell);
                if (which[level] < 0) {
                    const uint16_t* t = a.tables[level];
                    int16_t m = 0;
                    while (m < mapperCount && mappers[m].table != t) ++m;
                    if (m == mapperCount && mapperCount < kMaxMappers) mappers[mapperCount++].Init(t);
                    which[level] = m;
                }
                spans[count] = Span{i, end, which[level] < mapperCount ? which[level] : int16_t(-1), level};
                i = end;
            }
            for (int32_t k = 0; k < count; ++k) {
                const Span& sp = spans[k];
                const int32_t n = sp.end - sp.i;
                uint8_t* d = a.dst + a.dstPitch * r + 2 * sp.i;
                const uint8_t* s = a.src + a.srcPitch * r + 2 * sp.i;
                if (sp.mapper < 0) {
                    const uint16_t* t = a.tables[sp.level];
                    for (int32_t rr = r; rr < rEnd; ++rr, d += a.dstPitch, s += a.srcPitch)
                        for (int32_t x = 0; x < n; ++x) *Px(d + 2 * x) = t[*Px(s + 2 * x)];
                    continue;
                }
                const RowMapper& m = mappers[sp.mapper];
                int32_t rr = r;
                for (; rr + 1 < rEnd; rr += 2, d += 2 * a.dstPitch, s += 2 * a.srcPitch) {
                    if (!m.Pair(d, d + a.dstPitch, s, s + a.srcPitch, n)) break;
                }
                for (; rr < rEnd; ++rr, d += a.dstPitch, s += a.srcPitch) m.Row(d, s, n);
            }
        }
        r = rEnd;
    }
}

} // namespace fast

void LightApply16Reference(const LightApplyArgs& a) {
    if (a.w <= 0 || a.h <= 0 || a.cell < 1 || a.mapWidth < 1 || a.mapHeight < 1 || !a.levels || !a.tables) return;
    const int32_t cell = a.cell, lastCol = a.mapWidth - 1, firstCol = a.x / cell;
    for (int32_t r = 0; r < a.h; ++r) {
        const int32_t row = a.y + r;
        const int32_t gridRow = std::min(row / cell, a.mapHeight - 1);
        uint8_t* dp = a.dst + a.dstPitch * r;
        const uint8_t* sp = a.src + a.srcPitch * r;
        for (int32_t i = 0; i < a.w; ++i) {
            const int32_t col = std::min(firstCol + i / cell, lastCol);
            const uint16_t* table = a.tables[a.levels[static_cast<ptrdiff_t>(gridRow) * a.mapWidth + col]];
            uint16_t v;
            std::memcpy(&v, sp + 2 * i, 2);
            v = table[v];
            std::memcpy(dp + 2 * i, &v, 2);
        }
    }
}

// ---- Selection ----

namespace {

constexpr KernelTable kReference{ref::KeyedCopy16, ref::BlendCopy16, ref::TableMap16,     ref::RleCopy,
                                 ref::RleTable16,   ref::RleBlend16,  ref::RleAlpha16,     ref::RleAlphaFaded16,
                                 LightApply16Reference};
constexpr KernelTable kFast{fast::KeyedCopy16, fast::BlendCopy16, fast::TableMap16, fast::RleCopy,
                            fast::RleTable16,  fast::RleBlend16,  fast::RleAlpha16, fast::RleAlphaFaded16,
                            fast::LightApply16};

KernelSet g_set = KernelSet::Fast;

} // namespace

constinit KernelTable g_Kernels = kFast;

void SelectKernels(KernelSet set) {
    g_set = set;
    g_Kernels = set == KernelSet::Fast ? kFast : kReference;
    plat::SelectFastStretch(set == KernelSet::Fast);
}

KernelSet SelectedKernels() { return g_set; }

const char* KernelSetName() {
    if (g_set == KernelSet::Reference) return "reference";
    return g_avx2 ? "fast/avx2" : "fast/portable";
}

namespace {

// VANTREL_KERNELS=reference starts with the reference kernels.
struct EnvSelection {
    EnvSelection() {
        const char* v = std::getenv("VANTREL_KERNELS");
        if (v && std::strcmp(v, "reference") == 0) SelectKernels(KernelSet::Reference);
    }
} g_envSelection;

} // namespace
