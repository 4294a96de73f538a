// Making and unmaking moves, with the hash key and material carried incrementally.
#include "engine/engine.h"

PlyState plyState[maxPly + 1];

namespace {

// The sets are worked on in locals and written back once, so that the compiler need
// not assume every store may change another set.
template <int side>
void makeMoveFor(MoveCode m, SquareSet captured, int ply)
{
    --nodeCountdown;
    PlyState& here = plyState[ply];
    SquareSet wk = whiteKings, wm = whiteMen, bk = blackKings, bm = blackMen;
    here.savedWhiteKings = wk;
    here.savedWhiteMen = wm;
    here.savedBlackKings = bk;
    here.savedBlackMen = bm;

    SquareSet& ownKings = side == White ? wk : bk;
    SquareSet& ownMen = side == White ? wm : bm;
    SquareSet& enemyKings = side == White ? bk : wk;
    SquareSet& enemyMen = side == White ? bm : wm;
    const std::uint32_t* ownKingKeys = pieceKeys[2 * side];
    const std::uint32_t* ownManKeys = pieceKeys[2 * side + 1];
    const std::uint32_t* enemyKingKeys = pieceKeys[2 * (side ^ 1)];
    const std::uint32_t* enemyManKeys = pieceKeys[2 * (side ^ 1) + 1];

    int material = -here.materialBalance;
    if (m & promotionFlag) material -= 200; // the mover gained a king for a man

    const int from = moveFrom(m);
    const int to = moveTo(m);
    std::uint32_t k = here.positionKey;
    const bool isKing = ownKings & squareBit[from];
    // Lift first, then put down: a king whose capture ends where it began stays.
    if (isKing) {
        ownKings &= squareClear[from];
        k ^= ownKingKeys[from];
    } else {
        ownMen &= squareClear[from];
        k ^= ownManKeys[from];
    }
    if (isKing || (m & promotionFlag)) {
        ownKings |= squareBit[to];
        k ^= ownKingKeys[to];
    } else {
        ownMen |= squareBit[to];
        k ^= ownManKeys[to];
    }

    if (m & captureFlag) {
        material -= 300 * popCount(captured & enemyKings) + 100 * popCount(captured & enemyMen);
        for (SquareSet x = captured; x; x &= x - 1) {
            const int q = lowestBit(x);
            k ^= (enemyKings & squareBit[q]) ? enemyKingKeys[q] : enemyManKeys[q];
        }
        enemyKings &= ~captured;
        enemyMen &= ~captured;
    }

    whiteKings = wk;
    whiteMen = wm;
    blackKings = bk;
    blackMen = bm;
    recomputeDerivedSets();
    PlyState& next = plyState[ply + 1];
    next.materialBalance = material;
    next.positionKey = k ^ blackToMoveKey;
}

} // namespace

void makeMove(MoveCode m, SquareSet captured, int side, int ply)
{
    if (side == White) makeMoveFor<White>(m, captured, ply);
    else makeMoveFor<Black>(m, captured, ply);
}

void unmakeMove(int ply)
{
    const PlyState& here = plyState[ply];
    whiteKings = here.savedWhiteKings;
    whiteMen = here.savedWhiteMen;
    blackKings = here.savedBlackKings;
    blackMen = here.savedBlackMen;
    recomputeDerivedSets();
}

void keyAfterQuietMove(MoveCode m, int side, int ply)
{
    const SquareSet ownKings = side == White ? whiteKings : blackKings;
    const int from = moveFrom(m);
    const int to = moveTo(m);
    const bool isKing = ownKings & squareBit[from];
    std::uint32_t k = plyState[ply].positionKey;
    k ^= isKing ? pieceKeys[2 * side][from] : pieceKeys[2 * side + 1][from];
    k ^= (isKing || (m & promotionFlag)) ? pieceKeys[2 * side][to] : pieceKeys[2 * side + 1][to];
    plyState[ply + 1].positionKey = k ^ blackToMoveKey;
}
