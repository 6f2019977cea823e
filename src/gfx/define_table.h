#pragma once
// Reader of C header files of constants ("#define NAME VALUE" lines), such
// as the role sprite list "slr\SprRole.h". Files are read through the shared
// pack-file object, so a header may sit in a pack or on disk. The records
// keep file order; a section between two named constants can be read alone.
#include <cstdint>
#include <string>
#include <vector>

// One accepted line: the name (at most 255 bytes, NUL-terminated; longer
// names are cut) and the value as atoi reads it.
struct DefineRecord {
    static constexpr int kNameSize = 256;
    char name[kNameSize] = {};
    int32_t value = 0;
};

// Splits a line into its first three words. Spaces and tabs separate words;
// CR and LF do not, so they stay in the last word. Words after the third are
// ignored. True when the first two were found.
bool SplitDefineLine(const char* line, std::string* word1, std::string* word2, std::string* word3);

class CDefineTable {
public:
    // Reads the file. With a start name the table holds the constants after
    // the start marker (up to, without, the end marker when an end name is
    // given). The count is -1 when the file is missing or a named marker is
    // absent.
    CDefineTable(const char* fileName, const char* startName, const char* endName);
    virtual ~CDefineTable() = default;

    int32_t GetCount() const { return m_Count; }
    const DefineRecord* GetRecord(int32_t i) const;

    // The records of the section, markers included, in file order: their
    // number, or -1 (missing file: a message box with the file name; or a
    // named start or end marker that is not there).
    static int32_t Load(const char* fileName, const char* startName, const char* endName,
                        std::vector<DefineRecord>* out);

    int32_t m_Count = -1;
    std::vector<DefineRecord> m_Records;
};
