// Static evaluation: square tables carrying the material, free squares ahead of men,
// and fixed man patterns counted for both colours.
#include "engine/engine.h"

// Positional values as stored; start-up adds 100 (men) and 300 (kings) once.
int manSquareTable[32] = {0, 7, 10, 7, 2, 5, 5, 0, 3, 6, 6, 3, 5, 10, 10, 5,
                          7, 12, 12, 7, 3, 10, 10, 0, 0, 30, 30, 10, 0, 0, 0, 0};
int kingSquareTable[32] = {2, 5, 0, 10, 10, 5, 10, 10, 5, 20, 10, 10, 5, 20, 10, 0,
                           0, 10, 20, 5, 10, 10, 20, 5, 10, 10, 5, 10, 10, 0, 5, 2};

namespace {

// The square of a name, turned round (s -> 31 - s) when `turned`.
template <bool turned = false>
constexpr SquareSet sq(const char* name)
{
    const int file = name[0] - 'a';
    const int rank = name[1] - '1';
    const SquareSet bit = 1u << (4 * rank + file / 2);
    return turned ? mirrorSet(bit) : bit;
}

template <bool turned = false, typename... Names>
constexpr SquareSet squares(Names... names)
{
    return (sq<turned>(names) | ...);
}

constexpr bool hasAll(SquareSet set, SquareSet mask) { return (set & mask) == mask; }
constexpr bool hasNone(SquareSet set, SquareSet mask) { return (set & mask) == 0; }

// The patterns from White's view over White men w and Black men b. The other colour
// is scored with `turned`: w then holds the Black men and b the White men, and every
// square is turned round when the code is compiled, instead of turning the two sets
// at every call.
template <bool turned>
int patternScore(SquareSet w, SquareSet b)
{
    int v = 0;
    if (hasAll(w, squares<turned>("a3", "b4", "a5"))) {
        if (hasAll(b, squares<turned>("c5", "b6", "d6", "c7"))) {
            v += 50;
            if (b & sq<turned>("h4")) v -= 20;
        }
        if (hasNone(b, squares<turned>("a7", "b6"))) v -= 15;
    }
    if (hasAll(w, squares<turned>("e3", "f4", "h4")) && hasAll(b, squares<turned>("g5", "f6", "h6"))) {
        v += hasAll(w, squares<turned>("d2", "c3")) ? -10 : 20;
        if (w & sq<turned>("a5")) v += 15;
    }
    if (w & sq<turned>("c5")) {
        if (w & sq<turned>("f4")) v += 25;
        if (hasNone(b, squares<turned>("f8", "e5"))) v += 10;
        if ((b & squares<turned>("a5", "b6", "d6", "a7")) == squares<turned>("a5", "a7")) v += 20;
        if (w & sq<turned>("h6")) v += 10;
    }
    if (hasAll(w, squares<turned>("a5", "h4"))) v -= 5;
    if (hasAll(w, squares<turned>("d4", "g5"))) v += 10;
    if (w & sq<turned>("e5")) {
        if (hasNone(b, squares<turned>("h8", "g5"))) v += 10;
        if (hasNone(b, squares<turned>("d6", "f6"))) v += 20;
    }
    if ((w & sq<turned>("d6")) && !(b & sq<turned>("d8"))) v += 80;
    if (w & sq<turned>("f6")) {
        if (!(b & sq<turned>("f8"))) v += 80;
        if (hasNone(b, squares<turned>("h8", "g7", "f8"))) v += 60;
    }
    if (w & sq<turned>("h6")) {
        if (hasNone(b, squares<turned>("f8", "f6"))) v += 15;
        if (hasNone(b, squares<turned>("h8", "f8", "f6"))) v += 60;
    }
    if (hasAll(w, squares<turned>("b2", "a3", "c3"))) v -= 10;
    if ((w & sq<turned>("b6")) && hasNone(b, squares<turned>("b8", "a7"))) v += 55;
    if ((w & sq<turned>("a7")) && !(b & sq<turned>("b8"))) v += 60;
    if (w & sq<turned>("a5")) {
        if (hasNone(b, squares<turned>("c5", "b6", "a7", "c7", "b8"))) v += 50;
        if ((b & squares<turned>("b8", "b6")) == sq<turned>("b6")) v += 15;
    }
    if ((w & sq<turned>("g7")) && !(b & sq<turned>("h8"))) v += 70;
    if ((w & sq<turned>("g5")) && hasNone(b, squares<turned>("h8", "f8", "g7", "h6", "f6"))) v += 50;
    if (hasAll(w, squares<turned>("e3", "d4", "f4"))) v += 15;
    if ((w & squares<turned>("e1", "d2", "f2")) == squares<turned>("d2", "f2")) v -= 10;
    if ((w & sq<turned>("h4")) && hasAll(b, squares<turned>("g5", "e5", "f4", "f6"))) v += 25;
    return v;
}

// The men's square table summed over each of the 256 sets of squares of one byte of a
// set, so that a whole set of men costs four lookups; per colour, Black's read at
// 31 - s. Built from `manSquareTable` whenever that changes (engine initialisation
// and the start-up raise).
int manTableByByte[2][4][256];

// The square values of a colour's men summed over the set of their squares.
inline int manTableSum(int colour, SquareSet x)
{
    const int(&bytes)[4][256] = manTableByByte[colour];
    return bytes[0][x & 255] + bytes[1][(x >> 8) & 255] + bytes[2][(x >> 16) & 255] + bytes[3][x >> 24];
}

} // namespace

void buildEvaluationTables()
{
    for (int colour = 0; colour < 2; ++colour)
        for (int byte = 0; byte < 4; ++byte)
            for (int bits = 0; bits < 256; ++bits) {
                int sum = 0;
                for (int b = 0; b < 8; ++b) {
                    const int s = 8 * byte + b;
                    if (bits & (1 << b)) sum += manSquareTable[colour == White ? s : 31 - s];
                }
                manTableByByte[colour][byte][bits] = sum;
            }
}

int Searcher::evaluate(int side) const
{
    int v = patternScore<false>(whiteMen, blackMen) - patternScore<true>(blackMen, whiteMen);
    for (SquareSet x = whiteKings; x; x &= x - 1) v += kingSquareTable[lowestBit(x)];
    for (SquareSet x = blackKings; x; x &= x - 1) v -= kingSquareTable[lowestBit(x)];
    // A man scores its square and 5 for each forward square that is free or off the
    // board: the men whose up-left neighbour is occupied are the occupied squares
    // stepped down-right, and so on.
    v += manTableSum(White, whiteMen) - manTableSum(Black, blackMen);
    v += 5 * (popCount(whiteMen & ~stepDownRight(occupied)) + popCount(whiteMen & ~stepDownLeft(occupied)));
    v -= 5 * (popCount(blackMen & ~stepUpLeft(occupied)) + popCount(blackMen & ~stepUpRight(occupied)));
    if (whiteKings && blackKings) v /= 4;
    return side == White ? v : -v;
}

int Searcher::materialScore(int side) const
{
    const int v = 300 * (popCount(whiteKings) - popCount(blackKings)) + 100 * (popCount(whiteMen) - popCount(blackMen));
    return side == White ? v : -v;
}
