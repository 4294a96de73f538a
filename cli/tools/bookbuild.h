// The opening library's source: readable lines of marked moves, turned into the
// library's 36-byte records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/engine.h"

struct BuiltRecord {
    SquareSet beforeWhiteMen, beforeBlackMen, beforeWhiteKings, beforeBlackKings;
    SquareSet afterWhiteMen, afterBlackMen, afterWhiteKings, afterBlackKings;
    std::int32_t weight;
    bool operator==(const BuiltRecord&) const = default;
};

constexpr std::size_t builtRecordSize = 36;

// The weight of a mark: '!' 100, '+' 10, '-' -10, '?' -100; 0 for anything else.
int markWeight(char mark);
char markOfWeight(int weight); // the inverse; ' ' for other weights

struct BookBuildResult {
    bool ok = false;
    std::string error; // "FILE:LINE: ..." naming the move
    std::vector<BuiltRecord> records;
};

// Replays every line from the initial position with the engine's rules. Each move
// must be legal and, when several captures share its squares, name one set of
// captured pieces. The engine position is left at the initial position.
BookBuildResult buildLibraryRecords(const std::string& text, const std::string& sourceName);

std::string encodeBuiltLibrary(const std::vector<BuiltRecord>& records);
// False when the size is not a whole number of records.
bool decodeBuiltLibrary(const std::string& bytes, std::vector<BuiltRecord>& records);
