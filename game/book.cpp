#include "game/book.h"

#include <fstream>
#include <iterator>

#include "engine/search.h"
#include "game/gameui.h"
#include "game/settings.h"

OpeningLibrary openingLibrary;
BookCandidates bookCandidates;
std::string bookText;

const char* const libraryLoadError = "Ошибка загрузки дебютной библиотеки!";

namespace {

std::uint32_t littleEndianWord(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

LibraryPosition decodePosition(const std::string& bytes, std::size_t at)
{
    return {littleEndianWord(bytes, at), littleEndianWord(bytes, at + 4), littleEndianWord(bytes, at + 8),
            littleEndianWord(bytes, at + 12)};
}

LibraryPosition boardPosition() { return {whiteMen, blackMen, whiteKings, blackKings}; }

bool markedWeight(std::int32_t weight) { return weight == 100 || weight == 10 || weight == -10 || weight == -100; }

void addCandidate(int moveIndex, std::int32_t weight)
{
    // Matches beyond the room are listed but not offered: counting their weight
    // would let the choice wait for a candidate it can never draw.
    if (bookCandidates.count >= bookCandidateCapacity) return;
    bookCandidates.moveIndex[bookCandidates.count] = moveIndex;
    bookCandidates.weight[bookCandidates.count] = weight;
    ++bookCandidates.count;
    if (weight > bookCandidates.maxWeight) bookCandidates.maxWeight = weight;
}

void matchRecords(const LibraryPosition& before, MoveCode move, int moveIndex)
{
    const LibraryPosition after = boardPosition();
    for (int r = 0; r < openingLibrary.count; ++r) {
        LibraryRecord& record = openingLibrary.records[r];
        if (!(record.before == before && record.after == after)) continue;
        if (!markedWeight(record.weight)) record.weight = 0;
        bookText += squareName[moveFrom(move)];
        bookText += moveSeparator;
        bookText += squareName[moveTo(move)];
        bookText += weightMark(record.weight);
        addCandidate(moveIndex, record.weight);
    }
}

} // namespace

void decodeLibrary(const std::string& bytes, OpeningLibrary& library)
{
    const std::size_t whole = std::min<std::size_t>(bytes.size() / libraryRecordSize, libraryCapacity);
    for (std::size_t r = 0; r < whole; ++r) {
        const std::size_t at = r * libraryRecordSize;
        LibraryRecord& record = library.records[r];
        record.before = decodePosition(bytes, at);
        record.after = decodePosition(bytes, at + 16);
        record.weight = static_cast<std::int32_t>(littleEndianWord(bytes, at + 32));
    }
    library.count = static_cast<int>(whole);
}

bool LoadLibrary()
{
    // Read in blocks through istream::read, which turns a read error (a folder, say)
    // into a failed stream where reading through stream iterators would throw.
    std::ifstream file(libraryFileName, std::ios::binary);
    std::string bytes;
    char block[32768];
    while (file) {
        file.read(block, sizeof block);
        bytes.append(block, static_cast<std::size_t>(file.gcount()));
    }
    if (file.bad() || !file.eof()) {
        gameUi().showMessage(libraryLoadError);
        return false;
    }
    decodeLibrary(bytes, openingLibrary);
    return true;
}

const char* weightMark(std::int32_t weight)
{
    switch (weight) {
    case 100: return "! ";
    case 10: return "+ ";
    case -10: return "- ";
    case -100: return "? ";
    default: return " ";
    }
}

void LookupBook()
{
    const int side = sideToMove;
    bookText.clear();
    moveSeparator = ':';
    int count = generateCaptures(side, 0);
    if (count == 0) {
        count = generateQuietMoves(side, 0);
        moveSeparator = '-';
    }
    bookCandidates.count = 0;
    bookCandidates.maxWeight = noBookWeight;
    const LibraryPosition before = boardPosition();
    for (int k = 1; k <= count; ++k) {
        const MoveCode move = moveLists[0].moves[k];
        makeMove(move, moveLists[0].captured[k], side, 1);
        matchRecords(before, move, k);
        unmakeMove(1);
    }
}

int ChooseBookMove()
{
    if (bookCandidates.count <= 0) return 0;
    if (bookCandidates.count == 1) return bookCandidates.moveIndex[0];
    for (;;) {
        const std::uint32_t drawn = randomBelow(static_cast<std::uint32_t>(bookCandidates.count));
        if (bookCandidates.weight[drawn] == bookCandidates.maxWeight) return bookCandidates.moveIndex[drawn];
    }
}
