#pragma once
// Field and token splitting, path pieces, length-prefixed strings and small
// integer helpers. Text is GBK bytes; case folding skips double-byte
// characters.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

using StringList = std::vector<std::string>;

int CountFields(const char* text, char delimiter);
int GetField(const char* text, char* out, int size, int index, char delimiter);
int GetToken(const char* text, char* out, int size, int index, char delimiter);
void SplitFields(const char* text, char delimiter, StringList& list);
// Field `index` and the field count as SplitFields makes them, without
// building the list.
bool SplitFieldAt(std::string_view text, char delimiter, int index, std::string_view& field);
int SplitFieldCount(std::string_view text, char delimiter);
void SplitString(const char* text, char delimiter, StringList& list);
void SplitByString(const char* text, const char* separator, StringList& list);

// a-z to A-Z in place; both bytes of a GBK character are left alone.
void ToUpperAscii(char* text);
void ToUpperAscii(std::string& text);

// What follows the (n + 1)-th backslash from the end (n = 0: the file name);
// the whole path when there are fewer. 1 when that backslash exists, else 0.
int GetPathTail(const char* path, char* out, int size, int n);
std::string GetPathTail(std::string_view path, int n);
// Null (and nothing copied) when the path has no backslash.
const char* GetDirPart(const char* path, char* out, int size);
std::string GetDirPart(std::string_view path);  // empty when none
void StripExtension(const char* name, char* out, int size);
std::string StripExtension(std::string_view name);

int CreatePathDirs(const char* path);

int WriteLenString(FILE* stream, const char* text);
// Null when the length is below 1, above the 10,240-byte buffer, or a read
// fails. The buffer is overwritten by the next call.
const char* ReadLenString(FILE* stream);

int GetListInt(const StringList& list, int index);

struct SumResult {
    int sum;
    int terms;
};
SumResult SumDescending(int start, int maxTerms);
int RoundHalfUp(float x);
int TakeShare(int* value, int divisor, int doubled);
