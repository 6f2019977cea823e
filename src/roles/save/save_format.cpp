#include "roles/save/save_format.h"

#include <zlib.h>

#include <cstring>
#include <vector>

namespace savefmt {

namespace {

constexpr char kMagic[4] = {'V', 'T', 'S', 'V'};

uint32_t GetU32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return static_cast<uint32_t>(u[0]) | static_cast<uint32_t>(u[1]) << 8 | static_cast<uint32_t>(u[2]) << 16 |
           static_cast<uint32_t>(u[3]) << 24;
}

std::string Of(const char* what, int32_t i, int32_t n) {
    return std::string(what) + " " + std::to_string(i + 1) + " of " + std::to_string(n);
}

// A count of entries: refused when negative. A count too large for the
// file ends in a truncation at the first entry missing, which names it.
bool Count(Reader& r, const char* what, int32_t* n) {
    r.Place(std::string(what) + " count");
    if (!r.I32(n)) return false;
    if (*n < 0) return r.Fail(std::string(what) + " count " + std::to_string(*n));
    return true;
}

} // namespace

Writer& Writer::U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) b_.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    return *this;
}

Writer& Writer::Str(std::string_view s) {
    if (s.empty()) return U32(0);
    U32(static_cast<uint32_t>(s.size() + 1));
    b_.append(s);
    b_.push_back('\0');
    return *this;
}

Writer& Writer::StrNonEmpty(std::string_view s) {
    if (!s.empty()) return Str(s);
    U32(1);
    b_.push_back('\0');
    return *this;
}

uint32_t Crc32(std::string_view bytes) {
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes a 32-bit length; feed larger inputs in pieces.
    while (!bytes.empty()) {
        const size_t n = bytes.size() > (1u << 30) ? (1u << 30) : bytes.size();
        crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(n));
        bytes.remove_prefix(n);
    }
    return static_cast<uint32_t>(crc);
}

void AppendTrailer(std::string* bytes) {
    const uint32_t len = static_cast<uint32_t>(bytes->size());
    const uint32_t crc = Crc32(*bytes);
    Writer w;
    w.U32(len).U32(crc);
    bytes->append(kMagic, 4);
    bytes->append(w.bytes());
}

bool SplitLayout(std::string_view file, std::string_view* layout, std::string* reason) {
    *layout = file;
    if (file.size() < kTrailerSize || std::memcmp(file.data() + file.size() - kTrailerSize, kMagic, 4) != 0)
        return true;
    const char* t = file.data() + file.size() - kTrailerSize;
    const uint32_t len = GetU32(t + 4);
    const uint32_t crc = GetU32(t + 8);
    if (len != file.size() - kTrailerSize) {
        *reason = "trailer gives " + std::to_string(len) + " bytes, the file holds " +
                  std::to_string(file.size() - kTrailerSize);
        return false;
    }
    *layout = file.substr(0, len);
    if (Crc32(*layout) != crc) {
        *reason = "checksum mismatch";
        return false;
    }
    return true;
}

bool Reader::Fail(const std::string& why) {
    if (error_.empty()) error_ = why;
    return false;
}

bool Reader::U32(uint32_t* v) {
    if (!ok()) return false;
    if (left() < 4) return Truncated();
    *v = GetU32(b_.data() + pos_);
    pos_ += 4;
    return true;
}

bool Reader::I32(int32_t* v) {
    uint32_t u = 0;
    if (!U32(&u)) return false;
    *v = static_cast<int32_t>(u);
    return true;
}

bool Reader::Skip(size_t n) {
    if (!ok()) return false;
    if (left() < n) return Truncated();
    pos_ += n;
    return true;
}

bool Reader::Str(std::string* v, bool needLength) {
    uint32_t len = 0;
    if (!U32(&len)) return false;
    if (len == 0) {
        if (needLength) return Fail("empty string in " + place_);
        if (v) v->clear();
        return true;
    }
    if (len > kMaxString) return Fail("string of " + std::to_string(len) + " bytes in " + place_);
    if (left() < len) return Truncated();
    if (b_[pos_ + len - 1] != '\0') return Fail("string without its NUL in " + place_);
    // The text ends at its first NUL, as the game's reader copies it.
    if (v) v->assign(b_.data() + pos_, strnlen(b_.data() + pos_, len - 1));
    pos_ += len;
    return true;
}

bool CheckRecord(Reader& r) {
    static const char* const kNames[] = {"the record's name", "the record's picture name", "the record's sprite part name"};
    for (const char* name : kNames) {
        r.Place(name);
        if (!r.Str(nullptr, false)) return false;
    }
    r.Place("the record's fixed fields");
    if (!r.Skip(156)) return false;

    int32_t n = 0;
    if (!Count(r, "skill", &n)) return false;
    for (int32_t i = 0; i < n; ++i) {
        r.Place(Of("skill", i, n));
        if (!r.Skip(4)) return false;
    }
    if (!Count(r, "flag", &n)) return false;
    for (int32_t i = 0; i < n; ++i) {
        r.Place(Of("flag", i, n));
        if (!r.Skip(8) || !r.Str(nullptr, false)) return false;
    }
    int32_t slot = 0;
    for (int32_t i = -1; i < kRecordSlots; ++i) {
        r.Place(i < 0 ? std::string("the cursor item") : Of("slot", i, kRecordSlots));
        if (!r.I32(&slot)) return false;
        if (slot < -1 || slot >= kPoolSize) return r.Fail("pool index " + std::to_string(slot) + " in " +
                                                          (i < 0 ? std::string("the cursor item") : Of("slot", i, kRecordSlots)));
    }
    if (!Count(r, "item", &n)) return false;
    std::vector<bool> used(kPoolSize, false);
    for (int32_t i = 0; i < n; ++i) {
        r.Place(Of("item", i, n));
        int32_t id = 0, count = 0, index = 0;
        if (!r.I32(&id) || !r.I32(&count) || !r.I32(&index)) return false;
        if (index < 0 || index >= kPoolSize) return r.Fail("pool index " + std::to_string(index) + " in " + Of("item", i, n));
        if (used[static_cast<size_t>(index)])
            return r.Fail("pool index " + std::to_string(index) + " repeated in " + Of("item", i, n));
        used[static_cast<size_t>(index)] = true;
        if (!r.Skip(16) || !r.Str(nullptr, false)) return false;
    }
    return true;
}

bool CheckHudBlock(Reader& r) {
    int32_t n = 0;
    for (int g = 0; g < kHudGroups; ++g) {
        const std::string group = "HUD skill group " + std::to_string(g);
        if (!Count(r, group.c_str(), &n)) return false;
        r.Place(group);
        if (!r.Skip(static_cast<size_t>(n) * 4)) return false;
    }
    r.Place("the HUD skills");
    if (!r.Skip(16)) return false;
    if (!Count(r, "HUD hotkey", &n)) return false;
    r.Place("the HUD hotkeys");
    if (!r.Skip(static_cast<size_t>(n) * 12)) return false;
    return true;
}

} // namespace savefmt
