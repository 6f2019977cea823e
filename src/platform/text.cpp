#include "platform/text.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace plat {

namespace {

// One iconv conversion; a byte sequence the source charset rejects is
// replaced by `bad` (in the target charset) and skipped, one byte at a time.
// Bytes to skip after a rejected sequence: a whole UTF-8 sequence when the
// source is UTF-8 (one '?' per character), otherwise one byte.
size_t SkipLen(bool utf8, const char* p, size_t left) {
    if (!utf8) return 1;
    unsigned char c = static_cast<unsigned char>(*p);
    size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    size_t k = 1;
    while (k < n && k < left && (static_cast<unsigned char>(p[k]) & 0xC0) == 0x80) ++k;
    return k;
}

std::string Convert(const char* to, const char* from, std::string_view in, std::string_view bad) {
    const bool utf8 = std::strcmp(from, "UTF-8") == 0;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
    std::string out;
    out.resize(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    size_t used = 0;
    while (srcLeft > 0) {
        char* dst = out.data() + used;
        size_t dstLeft = out.size() - used;
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        used = out.size() - dstLeft;
        if (r != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
        } else {
            // EILSEQ or EINVAL (truncated sequence): replace one byte.
            if (out.size() - used < bad.size() + 8) out.resize(out.size() * 2);
            std::memcpy(out.data() + used, bad.data(), bad.size());
            used += bad.size();
            size_t k = SkipLen(utf8, src, srcLeft);
            src += k;
            srcLeft -= k;
        }
    }
    iconv_close(cd);
    out.resize(used);
    return out;
}

inline char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
inline char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

template <class F>
void FoldInPlace(char* p, size_t n, F f) {
    for (size_t i = 0; i < n; ++i) {
        if (IsGbkLead(static_cast<unsigned char>(p[i])) && i + 1 < n) {
            ++i;  // leave the trail byte alone
            continue;
        }
        p[i] = f(p[i]);
    }
}

} // namespace

std::string GbkToUtf8(std::string_view gbk) {
    // Plain ASCII is the common case and needs no conversion.
    bool ascii = true;
    for (unsigned char c : gbk) {
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) return std::string(gbk);
    return Convert("UTF-8", "GBK", gbk, "\xEF\xBF\xBD");
}

std::string Utf8ToGbk(std::string_view utf8) { return Convert("GBK", "UTF-8", utf8, "?"); }

std::u32string GbkToUtf32(std::string_view gbk) {
    std::string raw = Convert("UTF-32LE", "GBK", gbk, std::string_view("\xFD\xFF\x00\x00", 4));
    std::u32string out(raw.size() / 4, U'\0');
    for (size_t i = 0; i < out.size(); ++i) {
        const auto* b = reinterpret_cast<const unsigned char*>(raw.data() + i * 4);
        out[i] = static_cast<char32_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24));
    }
    return out;
}

void ToUpperGbk(std::string& s) { FoldInPlace(s.data(), s.size(), Upper); }
void ToLowerGbk(std::string& s) { FoldInPlace(s.data(), s.size(), Lower); }
void ToUpperGbk(char* s) {
    if (s) FoldInPlace(s, std::strlen(s), Upper);
}

std::string UpperGbk(std::string_view s) {
    std::string r(s);
    ToUpperGbk(r);
    return r;
}

int CompareNoCase(std::string_view a, std::string_view b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    bool trail = false;  // the previous byte was a GBK lead in both strings
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (!trail) {
            ca = static_cast<unsigned char>(Upper(static_cast<char>(ca)));
            cb = static_cast<unsigned char>(Upper(static_cast<char>(cb)));
        }
        if (ca != cb) return ca < cb ? -1 : 1;
        trail = !trail && IsGbkLead(ca);
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

} // namespace plat
