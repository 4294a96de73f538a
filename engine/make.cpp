// Making and unmaking moves, with the hash key and material carried incrementally.
#include "engine/engine.h"

PlyState plyState[maxPly + 1];

void makeMove(MoveCode m, SquareSet captured, int side, int ply)
{
    --nodeCountdown;
    PlyState& here = plyState[ply];
    PlyState& next = plyState[ply + 1];
    here.savedWhiteKings = whiteKings;
    here.savedWhiteMen = whiteMen;
    here.savedBlackKings = blackKings;
    here.savedBlackMen = blackMen;

    int material = -here.materialBalance;
    if (m & promotionFlag) material -= 200;

    SquareSet& ownKings = side == White ? whiteKings : blackKings;
    SquareSet& ownMen = side == White ? whiteMen : blackMen;
    SquareSet& ownPieces = side == White ? whitePieces : blackPieces;
    SquareSet& enemyKings = side == White ? blackKings : whiteKings;
    SquareSet& enemyMen = side == White ? blackMen : whiteMen;
    SquareSet& enemyPieces = side == White ? blackPieces : whitePieces;
    const std::uint32_t* ownKingKeys = pieceKeys[2 * side];
    const std::uint32_t* ownManKeys = pieceKeys[2 * side + 1];
    const std::uint32_t* enemyKingKeys = pieceKeys[2 * (side ^ 1)];
    const std::uint32_t* enemyManKeys = pieceKeys[2 * (side ^ 1) + 1];

    const int from = moveFrom(m);
    const int to = moveTo(m);
    std::uint32_t k = here.positionKey;
    const bool isKing = ownKings & squareBit[from];
    if (isKing) {
        ownKings &= squareClear[from];
        k ^= ownKingKeys[from];
    } else {
        ownMen &= squareClear[from];
        k ^= ownManKeys[from];
    }
    // Lift first, then put down: a king whose capture ends where it began stays.
    ownPieces &= squareClear[from];
    occupied &= squareClear[from];
    ownPieces |= squareBit[to];
    occupied |= squareBit[to];
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
        enemyPieces &= ~captured;
        occupied &= ~captured;
    }
    next.materialBalance = material;
    next.positionKey = k ^ blackToMoveKey;
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
