// Move generation under the Russian rules: compulsory capture continued to the end,
// men capture backwards too, flying kings, promotion in the middle of a capture.
#include "engine/engine.h"

namespace {

// The square two steps away in each direction, 0 when it is off the board.
SquareSet jumpLanding[4][32];

// One capture generation. The moving piece is lifted off the board (out of `own` and
// `occ`) while its sequences are searched, so that it may pass over or land on its
// own start square; captured pieces stay in `occ` until the move is over.
struct CaptureContext {
    MoveList* list;
    int n;
    MoveCode hashMove;
    SquareSet enemy;
    SquareSet occ;
    SquareSet promotionRank;
};

inline void storeCapture(CaptureContext& cx, MoveCode origin, int to, SquareSet captured)
{
    if (cx.n >= moveListCapacity) return;
    const int i = ++cx.n;
    const MoveCode m = static_cast<MoveCode>(origin | (to << 5) | captureFlag | (popCount(captured) << 10));
    cx.list->captured[i] = captured;
    cx.list->moves[i] = m;
    cx.list->scores[i] = (m == cx.hashMove) ? 2000000 : popCount(captured);
}

// The squares beyond s in direction d, to the edge of the board.
SquareSet rayMask[4][32];

// The square of x nearest to the start of a ray in direction d: the up directions
// (0, 1) run toward higher square numbers, the down directions toward lower ones.
inline int nearest(int d, SquareSet x) { return d < 2 ? __builtin_ctz(x) : 31 - __builtin_clz(x); }

// The squares of a ray in direction d up to, not including, its first square in
// `blockers`.
inline SquareSet freeRun(int d, SquareSet ray, SquareSet blockers)
{
    const SquareSet stop = ray & blockers;
    if (!stop) return ray;
    const int f = nearest(d, stop);
    return ray & ~(rayMask[d][f] | squareBit[f]);
}

bool kingCaptureSearch(CaptureContext& cx, MoveCode origin, int c, SquareSet taken)
{
    bool found = false;
    for (int d = 0; d < 4; ++d) {
        // Fly over empty squares to the first piece on the diagonal.
        const SquareSet pieces = rayMask[d][c] & cx.occ;
        if (!pieces) continue;
        const int e = nearest(d, pieces);
        const SquareSet b = squareBit[e];
        if (!(b & cx.enemy) || (b & taken)) continue;
        // Every empty square behind it is a landing square; where the capture can go
        // on, the king must land there.
        const SquareSet landings = freeRun(d, rayMask[d][e], cx.occ);
        if (!landings) continue;
        found = true;
        const SquareSet nowTaken = taken | b;
        bool deeper = false;
        for (SquareSet x = landings; x;) { // nearest first
            const int t = nearest(d, x);
            x &= squareClear[t];
            if (kingCaptureSearch(cx, origin, t, nowTaken)) deeper = true;
        }
        if (!deeper)
            for (SquareSet x = landings; x; x &= x - 1) storeCapture(cx, origin, lowestBit(x), nowTaken);
    }
    return found;
}

// The directions in which a man on c can jump now, one bit each, without branches.
inline unsigned jumpDirections(const CaptureContext& cx, int c, SquareSet taken)
{
    unsigned dirs = 0;
    for (int d = 0; d < 4; ++d) {
        const SquareSet over = neighbourBit[d][c] & cx.enemy & ~taken;
        const SquareSet land = jumpLanding[d][c];
        dirs |= static_cast<unsigned>((over != 0) & (land != 0) & ((land & cx.occ) == 0)) << d;
    }
    return dirs;
}

// Searches on from c, where the man stands after a jump, given the directions in which
// it can jump from there (not 0).
void manCaptureSearch(CaptureContext& cx, MoveCode origin, int c, SquareSet taken, unsigned dirs)
{
    for (; dirs; dirs &= dirs - 1) {
        const int d = __builtin_ctz(dirs);
        const int e = neighbourSquare[d][c];
        const int to = neighbourSquare[d][e];
        const SquareSet nowTaken = taken | squareBit[e];
        if (squareBit[to] & cx.promotionRank) {
            // Promoted on the way: the rest of the move is a king's.
            const MoveCode promoted = origin | promotionFlag;
            if (!kingCaptureSearch(cx, promoted, to, nowTaken)) storeCapture(cx, promoted, to, nowTaken);
        } else if (const unsigned next = jumpDirections(cx, to, nowTaken)) {
            manCaptureSearch(cx, origin, to, nowTaken, next);
        } else {
            storeCapture(cx, origin, to, nowTaken);
        }
    }
}

// Stores quiet moves with their history scores, counting in a local; `finish` then
// raises the hash move and the killers of this ply and of two plies earlier. A side
// has at most 12 pieces and a king at most 13 moves, so a quiet list stays far below
// the capacity and stores are not checked.
class QuietWriter {
public:
    QuietWriter(Searcher& searcher, int side, int ply)
        : searcher_(searcher), list_(searcher.moveLists[ply]), ply_(ply), history_(searcher.historyTable[side]),
          slot_(searcher.quietSlot), move_(list_.moves), captured_(list_.captured), score_(list_.scores)
    {
    }

    // Entry by entry through the three arrays: one pointer step each.
    void store(MoveCode m)
    {
        *++move_ = m;
        *++captured_ = 0;
        *++score_ = history_[m & 1023];
        slot_[m & 1023] = static_cast<std::uint16_t>(move_ - list_.moves);
    }

    int finish()
    {
        n_ = static_cast<int>(move_ - list_.moves);
        list_.count = n_;
        // Lowest level first, so that a move named twice keeps the higher level.
        raise(searcher_.killerMoves(ply_ - 2)[1], 9999997);
        raise(searcher_.killerMoves(ply_ - 2)[0], 9999998);
        raise(searcher_.killerMoves(ply_)[1], 9999999);
        raise(searcher_.killerMoves(ply_)[0], 10000000);
        raise(searcher_.plyState[ply_].hashMove, 20000000);
        return n_;
    }

private:
    void raise(MoveCode m, int score)
    {
        if (!m) return;
        const int slot = slot_[m & 1023];
        if (slot >= 1 && slot <= n_ && list_.moves[slot] == m) list_.scores[slot] = score;
    }

    Searcher& searcher_;
    MoveList& list_;
    const int ply_;
    const std::int32_t* const history_;
    std::uint16_t* const slot_;
    MoveCode* move_; // the last entry written
    SquareSet* captured_;
    std::int32_t* score_;
    int n_ = 0;
};

// The move word of a man's step by (square << 1 | second forward direction), with the
// promotion flag where the step reaches the last rank; per side.
MoveCode manStepWord[2][64];

// Spreads the 32 bits of x over the even bits of a 64-bit word.
inline std::uint64_t spreadBits(SquareSet x)
{
    std::uint64_t v = x;
    v = (v | (v << 16)) & 0x0000FFFF0000FFFFull;
    v = (v | (v << 8)) & 0x00FF00FF00FF00FFull;
    v = (v | (v << 4)) & 0x0F0F0F0F0F0F0F0Full;
    v = (v | (v << 2)) & 0x3333333333333333ull;
    v = (v | (v << 1)) & 0x5555555555555555ull;
    return v;
}

template <int side>
inline void storeManMoves(QuietWriter& out, SquareSet men, SquareSet occupied)
{
    const SquareSet empty = ~occupied;
    // Men whose first and second forward squares are free (directions 0, 1 for White,
    // 2, 3 for Black). Interleaved, the set bits come out man by man in ascending
    // square order, first direction before second: the generation order.
    const SquareSet freeFirst = side == White ? stepDownRight(empty) : stepUpLeft(empty);
    const SquareSet freeSecond = side == White ? stepDownLeft(empty) : stepUpRight(empty);
    for (std::uint64_t x = spreadBits(men & freeFirst) | (spreadBits(men & freeSecond) << 1); x; x &= x - 1)
        out.store(manStepWord[side][__builtin_ctzll(x)]);
}

} // namespace

template <int side>
int Searcher::generateQuietMovesFor(int ply)
{
    QuietWriter out(*this, side, ply);
    const SquareSet kings = side == White ? whiteKings : blackKings;
    for (SquareSet x = kings; x; x &= x - 1) {
        const int from = lowestBit(x);
        for (int d = 0; d < 4; ++d)
            for (int t = from; neighbourBit[d][t] && !(neighbourBit[d][t] & occupied);) {
                t = neighbourSquare[d][t];
                out.store(static_cast<MoveCode>(from | (t << 5)));
            }
    }
    storeManMoves<side>(out, side == White ? whiteMen : blackMen, occupied);
    return out.finish();
}
template int Searcher::generateQuietMovesFor<White>(int ply);
template int Searcher::generateQuietMovesFor<Black>(int ply);

// The searches of every piece that can capture; `jumps` holds the men's first jumps.
template <int side>
int Searcher::searchCaptures(int ply, const FirstJumps& jumps)
{
    MoveList& list = moveLists[ply];
    const SquareSet enemy = side == White ? blackPieces : whitePieces;
    const SquareSet kings = side == White ? whiteKings : blackKings;
    CaptureContext cx{&list, 0, plyState[ply].hashMove, enemy, occupied,
                      side == White ? whitePromotionRank : blackPromotionRank};
    if (!kings && firstJumpsEndTheMove<side>(jumps, enemy, ~occupied)) {
        // Every move is one jump: stored in the order the searches below would find them.
        for (SquareSet x = jumps.any(); x; x &= x - 1) {
            const int s = lowestBit(x);
            for (unsigned dirs = jumps.of(s); dirs; dirs &= dirs - 1) {
                const int over = neighbourSquare[__builtin_ctz(dirs)][s];
                storeCapture(cx, static_cast<MoveCode>(s), neighbourSquare[__builtin_ctz(dirs)][over], squareBit[over]);
            }
        }
        list.count = cx.n;
        return cx.n;
    }
    for (SquareSet x = kings; x; x &= x - 1) {
        const int s = lowestBit(x);
        if (!(diagonalMask[s] & enemy)) continue;
        cx.occ = occupied & squareClear[s];
        kingCaptureSearch(cx, static_cast<MoveCode>(s), s, 0);
    }
    for (SquareSet x = jumps.any(); x; x &= x - 1) {
        const int s = lowestBit(x);
        cx.occ = occupied & squareClear[s];
        manCaptureSearch(cx, static_cast<MoveCode>(s), s, 0, jumps.of(s));
    }
    list.count = cx.n;
    return cx.n;
}

template int Searcher::searchCaptures<White>(int ply, const FirstJumps& jumps);
template int Searcher::searchCaptures<Black>(int ply, const FirstJumps& jumps);

void buildJumpTables()
{
    for (int d = 0; d < 4; ++d)
        for (int s = 0; s < 32; ++s) {
            rayMask[d][s] = 0;
            for (int c = s; neighbourBit[d][c]; c = neighbourSquare[d][c]) rayMask[d][s] |= neighbourBit[d][c];
        }
    for (int d = 0; d < 4; ++d)
        for (int s = 0; s < 32; ++s)
            jumpLanding[d][s] = neighbourBit[d][s] ? neighbourBit[d][neighbourSquare[d][s]] : 0;
    for (int side = 0; side < 2; ++side)
        for (int s = 0; s < 32; ++s)
            for (int second = 0; second < 2; ++second) {
                const int d = 2 * side + second;
                const int to = neighbourSquare[d][s];
                const SquareSet rank = side == White ? whitePromotionRank : blackPromotionRank;
                MoveCode m = static_cast<MoveCode>(s | (to << 5));
                if (squareBit[to] & rank) m |= promotionFlag;
                manStepWord[side][2 * s + second] = neighbourBit[d][s] ? m : 0;
            }
}

template <int side>
int Searcher::storeAdvancedManMoves(int ply, SquareSet men)
{
    QuietWriter out(*this, side, ply);
    storeManMoves<side>(out, men, occupied);
    return out.finish();
}
template int Searcher::storeAdvancedManMoves<White>(int ply, SquareSet men);
template int Searcher::storeAdvancedManMoves<Black>(int ply, SquareSet men);

int Searcher::generateAdvancedManMoves(int side, int ply)
{
    return side == White ? generateAdvancedManMovesFor<White>(ply) : generateAdvancedManMovesFor<Black>(ply);
}
