// Move generation under the Russian rules: compulsory capture continued to the end,
// men capture backwards too, flying kings, promotion in the middle of a capture.
#include "engine/engine.h"

MoveList moveLists[moveListPlies];

namespace {

// The state of one capture generation, so that the recursive searches take only
// what changes from one jump to the next.
struct CaptureContext {
    MoveList* list;
    MoveCode hashMove;
    SquareSet own;
    SquareSet enemy;
    SquareSet promotionRank;
};

inline void storeCapture(const CaptureContext& cx, MoveCode origin, int to, SquareSet captured)
{
    MoveList& list = *cx.list;
    if (list.count >= moveListCapacity) return;
    const int i = ++list.count;
    const MoveCode m = static_cast<MoveCode>(origin | (to << 5) | captureFlag | (popCount(captured) << 10));
    list.captured[i] = captured;
    list.moves[i] = m;
    list.scores[i] = (m == cx.hashMove) ? 2000000 : popCount(captured);
}

bool kingCaptureSearch(const CaptureContext& cx, MoveCode origin, int c, SquareSet taken)
{
    bool found = false;
    for (int d = 0; d < 4; ++d) {
        // Fly over empty squares to the first piece on the diagonal.
        int sq = c;
        SquareSet b;
        for (;;) {
            b = neighbourBit[d][sq];
            if (!b || (b & (cx.own | taken))) break;
            if (b & cx.enemy) break;
            sq = neighbourSquare[d][sq];
        }
        if (!b || !(b & cx.enemy) || (b & taken)) continue;
        const int e = neighbourSquare[d][sq];
        const SquareSet nowTaken = taken | b;
        // Every empty square behind it is a landing square; where the capture can go
        // on, the king must land there.
        SquareSet landings = 0;
        bool deeper = false;
        for (int t = e; neighbourBit[d][t] && !(neighbourBit[d][t] & occupied);) {
            landings |= neighbourBit[d][t];
            t = neighbourSquare[d][t];
            found = true;
            if (kingCaptureSearch(cx, origin, t, nowTaken)) deeper = true;
        }
        if (!deeper)
            for (SquareSet x = landings; x; x &= x - 1) storeCapture(cx, origin, lowestBit(x), nowTaken);
    }
    return found;
}

bool manCaptureSearch(const CaptureContext& cx, MoveCode origin, int c, SquareSet taken)
{
    bool found = false;
    for (int d = 0; d < 4; ++d) {
        const SquareSet b = neighbourBit[d][c];
        if (!(b & cx.enemy) || (b & taken)) continue;
        const int e = neighbourSquare[d][c];
        const SquareSet landing = neighbourBit[d][e];
        if (!landing || (landing & occupied)) continue;
        const int to = neighbourSquare[d][e];
        found = true;
        const SquareSet nowTaken = taken | b;
        if (landing & cx.promotionRank) {
            // Promoted on the way: the rest of the move is a king's.
            const MoveCode promoted = origin | promotionFlag;
            if (!kingCaptureSearch(cx, promoted, to, nowTaken)) storeCapture(cx, promoted, to, nowTaken);
        } else if (!manCaptureSearch(cx, origin, to, nowTaken)) {
            storeCapture(cx, origin, to, nowTaken);
        }
    }
    return found;
}

inline int quietScore(MoveCode m, int side, int ply)
{
    if (m == plyState[ply].hashMove) return 20000000;
    const MoveCode(&killers)[2] = killerMoves(ply);
    if (m == killers[0]) return 10000000;
    if (m == killers[1]) return 9999999;
    const MoveCode(&earlier)[2] = killerMoves(ply - 2);
    if (m == earlier[0]) return 9999998;
    if (m == earlier[1]) return 9999997;
    return historyTable[side][m & 1023];
}

inline void storeQuiet(MoveList& list, MoveCode m, int side, int ply)
{
    if (list.count >= moveListCapacity) return;
    const int i = ++list.count;
    list.captured[i] = 0;
    list.moves[i] = m;
    list.scores[i] = quietScore(m, side, ply);
}

void storeManMoves(MoveList& list, SquareSet men, int side, int ply)
{
    const SquareSet rank = side == White ? whitePromotionRank : blackPromotionRank;
    const int firstDir = side == White ? 0 : 2;
    for (SquareSet x = men; x; x &= x - 1) {
        const int from = lowestBit(x);
        for (int d = firstDir; d < firstDir + 2; ++d) {
            const SquareSet b = neighbourBit[d][from];
            if (!b || (b & occupied)) continue;
            MoveCode m = static_cast<MoveCode>(from | (neighbourSquare[d][from] << 5));
            if (b & rank) m |= promotionFlag;
            storeQuiet(list, m, side, ply);
        }
    }
}

} // namespace

int generateCaptures(int side, int ply)
{
    MoveList& list = moveLists[ply];
    list.count = 0;
    SquareSet& own = side == White ? whitePieces : blackPieces;
    const SquareSet enemy = side == White ? blackPieces : whitePieces;
    const SquareSet kings = side == White ? whiteKings : blackKings;
    const SquareSet men = side == White ? whiteMen : blackMen;
    CaptureContext cx{&list, plyState[ply].hashMove, 0, enemy,
                      side == White ? whitePromotionRank : blackPromotionRank};
    // The moving piece is lifted off the board for the search, so that it may pass
    // over or land on its own start square.
    for (SquareSet x = kings; x; x &= x - 1) {
        const int s = lowestBit(x);
        if (!(diagonalMask[s] & enemy)) continue;
        own &= squareClear[s];
        occupied &= squareClear[s];
        cx.own = own;
        kingCaptureSearch(cx, static_cast<MoveCode>(s), s, 0);
        own |= squareBit[s];
        occupied |= squareBit[s];
    }
    for (SquareSet x = men; x; x &= x - 1) {
        const int s = lowestBit(x);
        if (!(adjacentMask[s] & enemy)) continue;
        own &= squareClear[s];
        occupied &= squareClear[s];
        cx.own = own;
        manCaptureSearch(cx, static_cast<MoveCode>(s), s, 0);
        own |= squareBit[s];
        occupied |= squareBit[s];
    }
    return list.count;
}

int generateQuietMoves(int side, int ply)
{
    MoveList& list = moveLists[ply];
    list.count = 0;
    const SquareSet kings = side == White ? whiteKings : blackKings;
    for (SquareSet x = kings; x; x &= x - 1) {
        const int from = lowestBit(x);
        for (int d = 0; d < 4; ++d)
            for (int t = from; neighbourBit[d][t] && !(neighbourBit[d][t] & occupied);) {
                t = neighbourSquare[d][t];
                storeQuiet(list, static_cast<MoveCode>(from | (t << 5)), side, ply);
            }
    }
    storeManMoves(list, side == White ? whiteMen : blackMen, side, ply);
    return list.count;
}

int generateAdvancedManMoves(int side, int ply)
{
    MoveList& list = moveLists[ply];
    list.count = 0;
    const SquareSet advanced = side == White ? (whiteMen & 0x0FF00000u) : (blackMen & 0x00000FF0u);
    storeManMoves(list, advanced, side, ply);
    return list.count;
}

int generateLegalMoves(int side, int ply)
{
    const int n = generateCaptures(side, ply);
    return n ? n : generateQuietMoves(side, ply);
}
