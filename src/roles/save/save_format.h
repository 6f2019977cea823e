#pragma once
// The bytes of save games: the summary and slot layouts as the game has
// always written them, then a 12-byte trailer of ours ("VTSV", u32 layout
// length, u32 CRC-32 of the layout) so a cut or damaged file is told from a
// good one. Files without a trailer are still read; they must end exactly
// where their layout ends.
//
// Everything here only checks and names the place of a fault; it applies
// nothing, so a load can refuse a file before any state changes.
#include <cstdint>
#include <string>
#include <string_view>

namespace savefmt {

constexpr size_t kTrailerSize = 12;
// Longest length string accepted (its NUL counted): the game's length
// strings share one buffer of this size (ReadLenString).
constexpr uint32_t kMaxString = 10240;
constexpr int kRecordSlots = 136;
constexpr int kPoolSize = 10000;
constexpr int kHudGroups = 4;

// Little-endian field writer.
class Writer {
public:
    Writer& I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
    Writer& U32(uint32_t v);
    // Length string: length with the NUL, the bytes, the NUL; an empty text
    // is length 0 and nothing else.
    Writer& Str(std::string_view s);
    // As Str, but an empty text is written as length 1 and a NUL, for the
    // fields whose reader refuses length 0.
    Writer& StrNonEmpty(std::string_view s);
    std::string& bytes() { return b_; }

private:
    std::string b_;
};

// Appends the trailer of the bytes as they stand.
void AppendTrailer(std::string* bytes);
uint32_t Crc32(std::string_view bytes);

// Bounds-checked field reader. The first failure is kept as the reason
// ("truncated in item 17 of 40"); later reads fail at once.
class Reader {
public:
    explicit Reader(std::string_view bytes) : b_(bytes) {}
    // What is being read now, for the reason of a failure.
    void Place(std::string place) { place_ = std::move(place); }
    bool I32(int32_t* v);
    bool U32(uint32_t* v);
    bool Skip(size_t n);
    // A length string; `needLength` refuses length 0. `v` may be null.
    bool Str(std::string* v, bool needLength);
    bool Fail(const std::string& why);
    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    size_t pos() const { return pos_; }
    size_t left() const { return b_.size() - pos_; }
    std::string_view rest() const { return b_.substr(pos_); }

private:
    bool Truncated() { return Fail("truncated in " + place_); }
    std::string_view b_;
    size_t pos_ = 0;
    std::string place_ = "the file";
    std::string error_;
};

// The layout part of a file: with a trailer its length (which, with the
// CRC, must match), else the whole file. False with a reason.
bool SplitLayout(std::string_view file, std::string_view* layout, std::string* reason);

// Walks a serialised role record from the reader's position: bounds,
// counts, string lengths, pool indices (0-9999, each once) and slot values
// (-1 or a pool index). False with the reader's reason.
bool CheckRecord(Reader& r);
// Walks a HUD block from the reader's position to its end.
bool CheckHudBlock(Reader& r);

} // namespace savefmt
