// The opening library: position pairs saying that a move from one position to the
// other is good or bad. Every display refresh looks up the legal moves of the side to
// move; the engine turn may play one of the best-marked ones instead of searching.
#pragma once

#include <cstdint>
#include <string>

#include "engine/engine.h"

constexpr int libraryCapacity = 50000;
constexpr int libraryRecordSize = 36;
constexpr int bookCandidateCapacity = 51;
constexpr std::int32_t noBookWeight = -10000;

// The four sets in the position file's order: white men, black men, white kings,
// black kings.
struct LibraryPosition {
    SquareSet whiteMen = 0;
    SquareSet blackMen = 0;
    SquareSet whiteKings = 0;
    SquareSet blackKings = 0;
    bool operator==(const LibraryPosition&) const = default;
};

struct LibraryRecord {
    LibraryPosition before;
    LibraryPosition after;
    std::int32_t weight = 0; // 100 "!", 10 "+", -10 "-", -100 "?"; others become 0 when matched
};

struct OpeningLibrary {
    int count = 0;
    LibraryRecord records[libraryCapacity];
};

struct BookCandidates {
    std::int32_t count = 0;
    std::int32_t maxWeight = noBookWeight;
    std::int32_t moveIndex[bookCandidateCapacity] = {}; // 1-based, generation order
    std::int32_t weight[bookCandidateCapacity] = {};
};

extern OpeningLibrary openingLibrary;
extern BookCandidates bookCandidates;
// The book window's line, as "c3-d4! g3-h4+ ".
extern std::string bookText;

extern const char* const libraryLoadError;

// Reads libraryFileName; on failure shows the error, keeps the loaded library and
// returns false.
bool LoadLibrary();
// Decodes a library file image: whole records only, at most libraryCapacity.
void decodeLibrary(const std::string& bytes, OpeningLibrary& library);

const char* weightMark(std::int32_t weight);
// Rebuilds bookCandidates and bookText for the side to move at ply 0 (the windows are
// told by whoever asked).
void LookupBook();
// A random candidate of the highest weight: its 1-based index in the root move list
// (which the search leaves in generation order when there are candidates), or 0 when
// there is none.
int ChooseBookMove();
