#include "core/strings.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/debug.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

// Bytes taken by the character at p: 2 for a GBK pair, else 1. A lead byte
// right before the terminator counts alone, so nothing reads past the end.
size_t CharLen(std::string_view s, size_t i) {
    if (plat::IsGbkLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size())
        return 2;
    return 1;
}

std::string_view View(const char* text) { return text ? std::string_view(text) : std::string_view(); }

// Copies at most size - 1 bytes without splitting a GBK pair, and always
// terminates when size >= 1. Returns the bytes copied.
int CopyBounded(std::string_view src, char* out, int size) {
    if (!out || size < 1)
        return 0;
    const size_t limit = static_cast<size_t>(size - 1);
    size_t n = 0;
    while (n < src.size()) {
        const size_t len = CharLen(src, n);
        if (n + len > limit)
            break;
        n += len;
    }
    if (n)
        std::memcpy(out, src.data(), n);
    out[n] = '\0';
    return static_cast<int>(n);
}

// Positions of every delimiter byte outside GBK pairs.
template <class F>
void ForEachDelim(std::string_view s, char delimiter, F&& f) {
    for (size_t i = 0; i < s.size();) {
        const size_t len = CharLen(s, i);
        if (len == 1 && s[i] == delimiter)
            f(i);
        i += len;
    }
}

// Field `index` counting every delimiter; false when there is no such field.
bool FindField(std::string_view s, char delimiter, int index, std::string_view& field) {
    if (index < 0)
        return false;
    size_t start = 0;
    int cur = 0;
    bool found = false;
    ForEachDelim(s, delimiter, [&](size_t pos) {
        if (found)
            return;
        if (cur == index) {
            field = s.substr(start, pos - start);
            found = true;
            return;
        }
        ++cur;
        start = pos + 1;
    });
    if (found)
        return true;
    if (cur == index && start <= s.size()) {
        field = s.substr(start);
        return true;
    }
    return false;
}

// Tokens: runs of delimiters count as one, leading delimiters are skipped.
std::vector<std::string_view> Tokens(std::string_view s, char delimiter) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && s[i] == delimiter)
            ++i;
        if (i >= s.size())
            break;
        const size_t start = i;
        while (i < s.size()) {
            const size_t len = CharLen(s, i);
            if (len == 1 && s[i] == delimiter)
                break;
            i += len;
        }
        out.push_back(s.substr(start, i - start));
    }
    return out;
}

std::vector<size_t> Backslashes(std::string_view s) {
    std::vector<size_t> pos;
    ForEachDelim(s, '\\', [&](size_t p) { pos.push_back(p); });
    return pos;
}

// Start of the piece after the (n + 1)-th backslash from the end; 0 (the
// whole path) when there are fewer.
size_t PathTailStart(std::string_view path, int n, bool& found) {
    const std::vector<size_t> pos = Backslashes(path);
    if (n < 0)
        n = 0;
    found = pos.size() >= static_cast<size_t>(n) + 1;
    return found ? pos[pos.size() - 1 - static_cast<size_t>(n)] + 1 : 0;
}

// Length of the name without its last '.'.
size_t StemLength(std::string_view name) {
    size_t dot = std::string_view::npos;
    ForEachDelim(name, '.', [&](size_t p) { dot = p; });
    return dot == std::string_view::npos ? name.size() : dot;
}

constexpr uint32_t kLenStringMax = 10240;
char g_LenStringBuf[kLenStringMax + 1];

} // namespace

int CountFields(const char* text, char delimiter) {
    const std::string_view s = View(text);
    if (s.empty())
        return 0;
    int n = 0;
    size_t last = 0;
    ForEachDelim(s, delimiter, [&](size_t pos) {
        ++n;
        last = pos;
    });
    const bool trailing = n > 0 && last == s.size() - 1;
    return trailing ? n : n + 1;
}

int GetField(const char* text, char* out, int size, int index, char delimiter) {
    std::string_view field;
    if (!FindField(View(text), delimiter, index, field)) {
        CopyBounded({}, out, size);
        return 0;
    }
    return CopyBounded(field, out, size) > 0 ? 1 : 0;
}

int GetToken(const char* text, char* out, int size, int index, char delimiter) {
    const std::vector<std::string_view> toks = Tokens(View(text), delimiter);
    if (index < 0 || static_cast<size_t>(index) >= toks.size()) {
        CopyBounded({}, out, size);
        return 0;
    }
    CopyBounded(toks[static_cast<size_t>(index)], out, size);
    return 1;
}

void SplitFields(const char* text, char delimiter, StringList& list) {
    list.clear();
    const std::string_view s = View(text);
    if (s.empty())
        return;
    size_t start = 0;
    ForEachDelim(s, delimiter, [&](size_t pos) {
        list.emplace_back(s.substr(start, pos - start));
        start = pos + 1;
    });
    // A trailing delimiter ends the last field rather than opening another.
    if (start < s.size())
        list.emplace_back(s.substr(start));
}

bool SplitFieldAt(std::string_view s, char delimiter, int index, std::string_view& field) {
    if (index < 0 || s.empty())
        return false;
    size_t start = 0;
    int cur = 0;
    for (size_t i = 0; i < s.size();) {
        const size_t len = CharLen(s, i);
        if (len == 1 && s[i] == delimiter) {
            if (cur == index) {
                field = s.substr(start, i - start);
                return true;
            }
            ++cur;
            start = i + 1;
        }
        i += len;
    }
    if (cur == index && start < s.size()) {
        field = s.substr(start);
        return true;
    }
    return false;
}

int SplitFieldCount(std::string_view s, char delimiter) {
    if (s.empty())
        return 0;
    int n = 0;
    size_t start = 0;
    ForEachDelim(s, delimiter, [&](size_t pos) {
        ++n;
        start = pos + 1;
    });
    return start < s.size() ? n + 1 : n;
}

void SplitString(const char* text, char delimiter, StringList& list) {
    list.clear();
    for (std::string_view t : Tokens(View(text), delimiter))
        list.emplace_back(t);
}

void SplitByString(const char* text, const char* separator, StringList& list) {
    const std::string_view s = View(text);
    const std::string_view sep = View(separator);
    if (sep.empty()) {
        list.emplace_back(s);
        return;
    }
    size_t start = 0;
    size_t i = 0;
    while (i < s.size()) {
        if (s.compare(i, sep.size(), sep) == 0) {
            list.emplace_back(s.substr(start, i - start));
            i += sep.size();
            start = i;
        } else {
            i += CharLen(s, i);
        }
    }
    list.emplace_back(s.substr(start));
}

void ToUpperAscii(char* text) {
    if (text)
        plat::ToUpperGbk(text);
}

void ToUpperAscii(std::string& text) { plat::ToUpperGbk(text); }

int GetPathTail(const char* path, char* out, int size, int n) {
    const std::string_view p = View(path);
    bool found = false;
    const size_t start = PathTailStart(p, n, found);
    CopyBounded(p.substr(start), out, size);
    return found ? 1 : 0;
}

std::string GetPathTail(std::string_view path, int n) {
    bool found = false;
    return std::string(path.substr(PathTailStart(path, n, found)));
}

const char* GetDirPart(const char* path, char* out, int size) {
    const std::string_view p = View(path);
    const std::vector<size_t> pos = Backslashes(p);
    if (pos.empty())
        return nullptr;
    CopyBounded(p.substr(0, pos.back() + 1), out, size);
    return out;
}

std::string GetDirPart(std::string_view path) {
    const std::vector<size_t> pos = Backslashes(path);
    return pos.empty() ? std::string() : std::string(path.substr(0, pos.back() + 1));
}

void StripExtension(const char* name, char* out, int size) {
    if (!out || size < 1)
        return;
    // Only the part that fits is looked at for the '.'.
    const int n = CopyBounded(View(name), out, size);
    out[StemLength(std::string_view(out, static_cast<size_t>(n)))] = '\0';
}

std::string StripExtension(std::string_view name) { return std::string(name.substr(0, StemLength(name))); }

int CreatePathDirs(const char* path) {
    const std::string_view p = View(path);
    int created = 0;
    for (size_t pos : Backslashes(p)) {
        const std::string_view prefix = p.substr(0, pos);
        // Nothing to create for a leading separator or a drive ("C:").
        if (prefix.empty() || (prefix.size() == 2 && prefix[1] == ':'))
            continue;
        if (plat::CreateDirectory(prefix))
            created = 1;
    }
    return created;
}

int WriteLenString(FILE* stream, const char* text) {
    if (!stream)
        return 0;
    const uint32_t len = (text && *text) ? static_cast<uint32_t>(std::strlen(text)) + 1 : 0;
    const unsigned char le[4] = {static_cast<unsigned char>(len), static_cast<unsigned char>(len >> 8),
                                 static_cast<unsigned char>(len >> 16), static_cast<unsigned char>(len >> 24)};
    std::fwrite(le, 1, 4, stream);
    if (len)
        std::fwrite(text, 1, len, stream);
    return 1;
}

const char* ReadLenString(FILE* stream) {
    if (!stream)
        return nullptr;
    unsigned char le[4];
    if (std::fread(le, 1, 4, stream) != 4)
        return nullptr;
    const uint32_t len = static_cast<uint32_t>(le[0]) | static_cast<uint32_t>(le[1]) << 8 |
                         static_cast<uint32_t>(le[2]) << 16 | static_cast<uint32_t>(le[3]) << 24;
    if (len < 1)
        return nullptr;
    if (len > kLenStringMax) {
        // Length from a damaged file: refuse the string, but step over its
        // bytes so the stream stays in step with the format.
        plat::DebugPrintf("ReadLenString: length %u exceeds %u, string refused\n", len, kLenStringMax);
        std::fseek(stream, static_cast<long>(len), SEEK_CUR);
        return nullptr;
    }
    if (std::fread(g_LenStringBuf, 1, len, stream) != len)
        return nullptr;
    g_LenStringBuf[len] = '\0';  // a stored string without its NUL stays bounded
    return g_LenStringBuf;
}

int GetListInt(const StringList& list, int index) {
    if (index < 0 || static_cast<size_t>(index) >= list.size())
        return -1;
    return std::atoi(list[static_cast<size_t>(index)].c_str());
}

SumResult SumDescending(int start, int maxTerms) {
    if (start < 1 || maxTerms < 1)
        return {0, 0};
    // Closed form in 64 bits: start + (start - 1) + ... over `terms` terms.
    const int64_t terms = std::min<int64_t>(start, maxTerms);
    const int64_t sum = terms * start - terms * (terms - 1) / 2;
    return {sum > INT32_MAX ? INT32_MAX : static_cast<int>(sum), static_cast<int>(terms)};
}

int RoundHalfUp(float x) {
    const float f = std::floor(x);
    return static_cast<int>(x - f < 0.5f ? f : std::ceil(x));
}

int TakeShare(int* value, int divisor, int doubled) {
    if (!value)
        return 0;
    float share;
    if (divisor >= 1) {
        const float v = static_cast<float>(*value);
        share = doubled ? 2.0f * v / static_cast<float>(divisor) : v / static_cast<float>(divisor) * 0.5f;
    } else {
        share = static_cast<float>(*value);
    }
    const int taken = RoundHalfUp(share);
    *value -= taken;
    return taken;
}
