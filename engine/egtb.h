// Endgame bitbases: the in-memory win/loss/draw table and the per-table distance files.
//
// Every table covers one material combination with the stronger side A playing as
// White: its men run toward squares 28-31. Positions with Black as the stronger side
// are looked up after SwapSides.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine.h"

// ProbeExact's answer when a distance file is missing, damaged (of the wrong size) or
// cannot be read: the root move is then searched as usual.
constexpr int probeUnavailable = -100000;

constexpr int bitbaseTableCount = 45;
constexpr int bitbaseMaxPieces = 5;
constexpr std::uint32_t bitbaseSizeFourPieces = 1030139;  // tables of 2 to 4 pieces
constexpr std::uint32_t bitbaseSizeFivePieces = 21852206; // all 45 tables

// The four piece counts of a table: A (stronger or equal) first.
struct Material {
    int strongKings;
    int strongMen;
    int weakKings;
    int weakMen;
    constexpr int pieces() const { return strongKings + strongMen + weakKings + weakMen; }
};

struct BitbaseTable {
    char name[13];          // e.g. "2d1p_1d0p_ru"
    std::uint32_t offset;   // first byte in the ".bit" file
    std::uint32_t positions; // index range, a multiple of 4
    Material material;
};

namespace bitbase_detail {

constexpr Material tableMaterial[bitbaseTableCount] = {
    {1, 0, 1, 0}, {1, 0, 0, 1}, {0, 1, 0, 1},
    {2, 0, 1, 0}, {1, 1, 1, 0}, {1, 0, 0, 2}, {2, 0, 0, 1}, {1, 1, 0, 1}, {0, 2, 0, 1},
    {3, 0, 1, 0}, {2, 1, 1, 0}, {1, 2, 1, 0}, {1, 0, 0, 3}, {3, 0, 0, 1}, {2, 1, 0, 1}, {1, 2, 0, 1},
    {0, 3, 0, 1}, {2, 0, 2, 0}, {2, 0, 1, 1}, {2, 0, 0, 2}, {1, 1, 1, 1}, {1, 1, 0, 2}, {0, 2, 0, 2},
    {4, 0, 1, 0}, {3, 1, 1, 0}, {2, 2, 1, 0}, {1, 3, 1, 0}, {1, 0, 0, 4}, {4, 0, 0, 1}, {3, 1, 0, 1},
    {2, 2, 0, 1}, {1, 3, 0, 1}, {0, 4, 0, 1}, {3, 0, 2, 0}, {2, 1, 2, 0}, {2, 0, 1, 2}, {2, 0, 0, 3},
    {3, 0, 1, 1}, {2, 1, 1, 1}, {1, 2, 1, 1}, {1, 1, 0, 3}, {3, 0, 0, 2}, {2, 1, 0, 2}, {1, 2, 0, 2},
    {0, 3, 0, 2}};

constexpr std::uint32_t choose(int n, int k)
{
    if (k < 0 || k > n) return 0;
    std::uint64_t c = 1;
    for (int i = 1; i <= k; ++i) c = c * static_cast<std::uint64_t>(n - k + i) / static_cast<std::uint64_t>(i);
    return static_cast<std::uint32_t>(c);
}

constexpr std::uint32_t positionCount(const Material& m)
{
    return choose(32, m.strongKings) * choose(28, m.strongMen) *
           choose(32 - m.strongKings - m.strongMen, m.weakKings) * choose(28, m.weakMen);
}

constexpr BitbaseTable makeTable(const Material& m, std::uint32_t offset)
{
    BitbaseTable t{};
    const char text[13] = {static_cast<char>('0' + m.strongKings), 'd', static_cast<char>('0' + m.strongMen), 'p', '_',
                           static_cast<char>('0' + m.weakKings),   'd', static_cast<char>('0' + m.weakMen),   'p', '_',
                           'r', 'u', '\0'};
    for (int i = 0; i < 13; ++i) t.name[i] = text[i];
    t.offset = offset;
    t.positions = positionCount(m);
    t.material = m;
    return t;
}

struct TableList {
    BitbaseTable table[bitbaseTableCount];
};

constexpr TableList makeTables()
{
    TableList list{};
    std::uint32_t offset = 0;
    for (int i = 0; i < bitbaseTableCount; ++i) {
        list.table[i] = makeTable(tableMaterial[i], offset);
        offset += list.table[i].positions / 4;
    }
    return list;
}

inline constexpr TableList tableList = makeTables();

} // namespace bitbase_detail

// The 45 tables in the order in which they follow one another in the ".bit" file.
inline constexpr const BitbaseTable (&bitbaseTables)[bitbaseTableCount] = bitbase_detail::tableList.table;

static_assert(bitbaseTables[3].offset == 668);
static_assert(bitbaseTables[23].offset == bitbaseSizeFourPieces);
static_assert(bitbaseTables[44].offset == 21542624);
static_assert(bitbaseTables[44].offset + bitbaseTables[44].positions / 4 == bitbaseSizeFivePieces);

extern bool bitbaseLoaded;
extern std::vector<std::uint8_t> bitbaseData;
// C(n, k) for n = 0..32, k = 0..6 (0 where k > n).
extern std::uint32_t binomial[33][7];

void buildBinomialTable();
void LoadBitbase();
// The ".bit" file for a folder and a piece limit ("egtbN.bit", N the limit clamped to
// 0..5) read into `data`; false when there is no such file or it is damaged (not
// exactly the size of its tables, or holding error entries). Throws std::bad_alloc and
// then leaves `data` as it was.
bool readBitbaseFile(const std::string& folder, int pieces, std::vector<std::uint8_t>& data);
// The table files of a folder for a piece limit that cannot be used, one line each
// ("3d1p_1d0p_ru.brg: 100 байт вместо 1240960"): a ".bit" or ".brg" file of the wrong
// size, a ".bit" file with error entries, and beside a ".bit" file a missing ".brg".
// The probes never use such a file.
std::vector<std::string> damagedBitbaseFiles(const std::string& folder, int pieces);
// What LoadBitbase does after reading: the data becomes the in-memory table.
void installBitbase(std::vector<std::uint8_t>&& data, bool found);
// The largest number of pieces the tables are probed for: the configured limit, but
// never beyond the five pieces the tables hold.
inline int bitbasePieceLimit() { return EGTBPieses < bitbaseMaxPieces ? EGTBPieses : bitbaseMaxPieces; }
// The table of a material combination, -1 when there is none (a side without
// pieces, more than five pieces, or A weaker than B).
int bitbaseTableOf(const Material& m);
// The parts of a table index. The combinatorial rank of a set (at most six squares):
// C(s1, 1) + C(s2, 2) + ... over its squares in ascending order.
inline std::uint32_t setRank(SquareSet s)
{
    std::uint32_t rank = 0;
    for (int k = 1; s && k <= 6; s &= s - 1, ++k) rank += binomial[__builtin_ctz(s)][k];
    return rank;
}
// The rank of B's kings numbered among the squares that A's pieces leave free.
inline std::uint32_t rankAmongFree(SquareSet kings, SquareSet taken)
{
    std::uint32_t rank = 0;
    for (int k = 1; kings && k <= 6; kings &= kings - 1, ++k) {
        const int s = __builtin_ctz(kings);
        rank += binomial[s - popCount(taken & ((1u << s) - 1))][k];
    }
    return rank;
}
// Index of the pieces in their table, with A's and B's sets given as they stand
// there (A's men toward 28-31).
std::uint32_t bitbaseIndexOf(SquareSet strongKings, SquareSet strongMen, SquareSet weakKings, SquareSet weakMen);
// The searchers' probes (Searcher::SwapSides, TableName, BitbaseIndex, ProbeBitbase,
// ProbeExact, EndgameVerdictsText), for the game position:
//   SwapSides: exchanges White and Black and turns the board by 180 degrees; twice
//     restores it.
//   TableName: the name of the board's table ("2d1p_1d0p_ru"), whichever side is stronger.
//   BitbaseIndex: the board's index, with White as A.
//   ProbeBitbase: 3000, -3000 or 0 for White to move, White stronger or equal.
//   ProbeExact: White has just moved, Black to move: 0 draw, n > 0 White wins in n, -n
//     White loses in n, 255 White has already won; probeUnavailable when a distance
//     file is missing or short.
//   EndgameVerdictsText: the book window's endgame line for the side to move at ply 0:
//     every legal move with its verdict, e.g. "c3-d4!,5  e3:g5?,2  g1-h2=  ".
inline void SwapSides() { mainSearcher.SwapSides(); }
inline std::string TableName() { return mainSearcher.TableName(); }
inline std::uint32_t BitbaseIndex() { return mainSearcher.BitbaseIndex(); }
inline int ProbeBitbase() { return mainSearcher.ProbeBitbase(); }
inline int ProbeExact() { return mainSearcher.ProbeExact(); }
inline std::string EndgameVerdictsText(int side) { return mainSearcher.EndgameVerdictsText(side); }
inline std::uint32_t& bitbaseProbeCount = mainSearcher.bitbaseProbeCount;
// The game position's line when it lies within the tables' piece limit, else nothing.
std::optional<std::string> endgameVerdicts(int side);
