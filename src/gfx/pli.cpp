#include "gfx/pli.h"

#include <algorithm>
#include <cstring>

#include "core/pack_file.h"
#include "platform/debug.h"
#include "platform/text.h"

std::string PliFieldText(const char* field, size_t size) {
    const void* nul = std::memchr(field, 0, size);
    return std::string(field, nul ? static_cast<const char*>(nul) - field : size);
}

namespace {

// Copies a field's text into dst (size bytes), always NUL-terminated.
void CopyField(char* dst, size_t dstSize, const char* src, size_t srcSize) {
    std::memset(dst, 0, dstSize);
    const std::string text = PliFieldText(src, srcSize);
    std::memcpy(dst, text.data(), std::min(text.size(), dstSize - 1));
}

// Bounded little-endian reads over the file's bytes.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t Left() const { return size_ - pos_; }
    bool Bytes(void* out, size_t n) {
        if (n > Left()) return false;
        if (n) std::memcpy(out, data_ + pos_, n);
        pos_ += n;
        return true;
    }
    bool Skip(size_t n) {
        if (n > Left()) return false;
        pos_ += n;
        return true;
    }
    bool U8(uint32_t* v) {
        uint8_t b = 0;
        if (!Bytes(&b, 1)) return false;
        *v = b;
        return true;
    }
    bool U16(uint32_t* v) {
        uint8_t b[2];
        if (!Bytes(b, 2)) return false;
        *v = static_cast<uint32_t>(b[0] | b[1] << 8);
        return true;
    }
    bool U32(uint32_t* v) {
        uint8_t b[4];
        if (!Bytes(b, 4)) return false;
        *v = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
             static_cast<uint32_t>(b[3]) << 24;
        return true;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

int Fail(std::string* why, const std::string& text) {
    if (why) *why = text;
    return 0;
}

// The action blocks: A x (count field of countBytes, F order lists of P
// bytes). Counts are checked against the bytes left before anything is
// allocated, so a corrupt count cannot ask for gigabytes.
bool ReadActions(Reader& r, uint32_t actionCount, uint32_t partCount, int countBytes, std::vector<PliAction>* out,
                 std::string* why) {
    if (actionCount > r.Left() / static_cast<uint32_t>(countBytes)) {
        Fail(why, "action count " + std::to_string(actionCount) + " beyond the file");
        return false;
    }
    out->assign(actionCount, PliAction{});
    for (uint32_t a = 0; a < actionCount; ++a) {
        uint32_t frames = 0;
        if (!(countBytes == 4 ? r.U32(&frames) : r.U16(&frames))) {
            Fail(why, "short read in the frame count of action " + std::to_string(a));
            return false;
        }
        const uint64_t bytes = static_cast<uint64_t>(frames) * partCount;
        if (bytes > r.Left()) {
            Fail(why, "short read in the order lists of action " + std::to_string(a));
            return false;
        }
        PliAction& act = (*out)[a];
        act.frameCount = frames;
        act.orders.resize(static_cast<size_t>(bytes));
        r.Bytes(act.orders.data(), act.orders.size());
    }
    return true;
}

int ParseCurrent(const uint8_t* data, size_t size, const std::string& roleName, int32_t mainPartCount,
                 PliHeader* out, std::string* why) {
    Reader r(data, size);
    char magic[kPliMagicSize], role[kPliRoleNameSize], main[kPliMainPartSize];
    uint32_t actions = 0, parts = 0;
    if (!r.Bytes(magic, sizeof magic) || !r.Bytes(role, sizeof role) || !r.Bytes(main, sizeof main) ||
        !r.U32(&actions) || !r.U32(&parts))
        return Fail(why, "short header");
    if (!plat::EqualsNoCase(PliFieldText(role, sizeof role), roleName))
        return Fail(why, "file of role \"" + PliFieldText(role, sizeof role) + "\"");
    if (mainPartCount < 0 || parts > static_cast<uint32_t>(mainPartCount))
        return Fail(why, "part count " + std::to_string(parts) + " above the sprite's " + std::to_string(mainPartCount));
    PliHeader h;
    CopyField(h.magic, sizeof h.magic, magic, sizeof magic);
    CopyField(h.roleName, sizeof h.roleName, role, sizeof role);
    CopyField(h.mainPart, sizeof h.mainPart, main, sizeof main);
    h.actionCount = actions;
    h.partCount = parts;
    h.partNames.resize(parts);
    for (PliPartName& n : h.partNames) {
        char raw[kPliPartNameSize];
        if (!r.Bytes(raw, sizeof raw)) return Fail(why, "short read in the part names");
        CopyField(n.data(), n.size(), raw, sizeof raw);
    }
    if (!ReadActions(r, actions, parts, 4, &h.actions, why)) return 0;
    *out = std::move(h);
    return 1;
}

int ParseOlder(const uint8_t* data, size_t size, int32_t mainPartCount, PliHeader* out, std::string* why) {
    Reader r(data, size);
    char magic[kPliOldMagicSize], main[kPliPartNameSize];
    uint32_t parts = 0, actions = 0;
    if (!r.Bytes(magic, sizeof magic) || !r.Skip(kPliOldNameSize + 4) || !r.U8(&parts) || !r.Bytes(main, sizeof main))
        return Fail(why, "short header (older form)");
    if (static_cast<int64_t>(parts) != mainPartCount)
        return Fail(why, "part count " + std::to_string(parts) + " differs from the sprite's " +
                             std::to_string(mainPartCount) + " (older form)");
    PliHeader h;
    CopyField(h.magic, sizeof h.magic, magic, sizeof magic);
    CopyField(h.mainPart, sizeof h.mainPart, main, sizeof main);
    h.partCount = parts;
    h.partNames.resize(parts);
    for (PliPartName& n : h.partNames) {
        char raw[kPliPartNameSize];
        if (!r.Bytes(raw, sizeof raw) || !r.Skip(kPliPartNameSize)) return Fail(why, "short read in the part names");
        CopyField(n.data(), n.size(), raw, sizeof raw);
    }
    if (!r.Skip(kPliOldGapBytes) || !r.U16(&actions)) return Fail(why, "short read before the action count");
    h.actionCount = actions;
    if (!ReadActions(r, actions, parts, 2, &h.actions, why)) return 0;
    *out = std::move(h);
    return 1;
}

} // namespace

bool PliHeader::IsFilledFor(const std::string& role) const {
    return actionCount != 0 && partCount != 0 && !actions.empty() &&
           plat::EqualsNoCase(PliFieldText(roleName, sizeof roleName), role) && mainPart[0] != 0 &&
           !partNames.empty();
}

const uint8_t* PliHeader::FindOrder(int32_t action, int32_t frame, uint32_t* length) const {
    *length = 0;
    if (actions.empty()) return nullptr;
    if (action < 0 || static_cast<size_t>(action) >= actions.size()) action = 0;
    const PliAction& a = actions[static_cast<size_t>(action)];
    if (a.frameCount == 0) return nullptr;
    if (frame < 0 || static_cast<uint32_t>(frame) >= a.frameCount) frame = 0;
    // Lists are exactly partCount bytes; a caller-built header that holds
    // fewer bytes than that is not read past.
    const size_t at = static_cast<size_t>(frame) * partCount;
    if (partCount == 0 || at + partCount > a.orders.size()) return nullptr;
    *length = partCount;
    return a.orders.data() + at;
}

int ParsePli(const uint8_t* data, size_t size, const std::string& roleName, int32_t mainPartCount, PliHeader* out,
             std::string* why) {
    if (size < static_cast<size_t>(kPliHeaderBytes)) return Fail(why, "short header");
    if (std::memcmp(data, kPliMagic, sizeof kPliMagic - 1) == 0)
        return ParseCurrent(data, size, roleName, mainPartCount, out, why);
    return ParseOlder(data, size, mainPartCount, out, why);
}

int ReadPliFile(const char* path, const std::string& roleName, int32_t mainPartCount, PliHeader* out) {
    CPackFile file;
    if (file.Open(path, "rb") == -2) {
        plat::DebugPrintf("PLI: cannot open %s\n", path);
        return 0;
    }
    const int length = file.GetLength();
    std::vector<uint8_t> bytes(length > 0 ? static_cast<size_t>(length) : 0);
    const bool read = length > 0 && file.Read(bytes.data(), 1, length) == length;
    file.Close();
    if (!read) {
        plat::DebugPrintf("PLI: %s: cannot read the file\n", path);
        return 0;
    }
    std::string why;
    if (!ParsePli(bytes.data(), bytes.size(), roleName, mainPartCount, out, &why)) {
        plat::DebugPrintf("PLI: %s refused: %s\n", path, why.c_str());
        return 0;
    }
    return 1;
}
