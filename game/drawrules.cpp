#include "game/drawrules.h"

namespace {

constexpr int bothSides = -1;

// The side to move at entry k, given the side to move at entry ply.
int sideAt(int k, int ply, int sideAtPly) { return ((ply - k) % 2 == 0) ? sideAtPly : 1 - sideAtPly; }

// Only kings moved in the half-move from `before` to `after` by `mover`, and nothing
// was taken: the mover's men stand still, the opponent's pieces all remain.
bool kingMoveWithoutCapture(const RecordEntry& before, const RecordEntry& after, int mover)
{
    const bool white = mover == White;
    const SquareSet menBefore = white ? before.whiteMen : before.blackMen;
    const SquareSet menAfter = white ? after.whiteMen : after.blackMen;
    const SquareSet kingsBefore = white ? before.whiteKings : before.blackKings;
    const SquareSet kingsAfter = white ? after.whiteKings : after.blackKings;
    const SquareSet othersBefore = white ? before.blackMen | before.blackKings : before.whiteMen | before.whiteKings;
    const SquareSet othersAfter = white ? after.blackMen | after.blackKings : after.whiteMen | after.whiteKings;
    return menBefore == menAfter && kingsBefore != kingsAfter && othersBefore == othersAfter;
}

struct Balance {
    DrawRule rule = DrawRule::None;
    int stronger = White; // or bothSides for a king against a king
    bool operator==(const Balance&) const = default;
};

// The class of material against a lone king at an entry: three pieces with a king,
// or one or two with a king.
Balance balanceOf(const RecordEntry& e)
{
    const int whiteCount = popCount(e.whiteMen | e.whiteKings);
    const int blackCount = popCount(e.blackMen | e.blackKings);
    const bool whiteLoneKing = whiteCount == 1 && e.whiteKings != 0;
    const bool blackLoneKing = blackCount == 1 && e.blackKings != 0;
    if (whiteLoneKing && blackLoneKing) return {DrawRule::FewAgainstKing, bothSides};
    for (int side : {White, Black}) {
        const bool opponentLoneKing = side == White ? blackLoneKing : whiteLoneKing;
        const int count = side == White ? whiteCount : blackCount;
        const bool hasKing = (side == White ? e.whiteKings : e.blackKings) != 0;
        if (!opponentLoneKing || !hasKing) continue;
        if (count == 3) return {DrawRule::ThreeAgainstKing, side};
        if (count <= 2) return {DrawRule::FewAgainstKing, side};
    }
    return {};
}

} // namespace

DrawCounters drawCountersAt(const GameRecord& record, int ply, int sideAtPly)
{
    DrawCounters counters;
    const RecordEntry* entries = record.entries;
    for (int k = ply - 1; k >= 1 && kingMoveWithoutCapture(entries[k], entries[k + 1], sideAt(k, ply, sideAtPly)); --k)
        ++counters.kingOnlyHalfMoves;

    const Balance now = balanceOf(entries[ply]);
    if (now.rule == DrawRule::None) return counters;
    int arose = ply;
    while (arose > 1 && balanceOf(entries[arose - 1]) == now) --arose;
    counters.balance = now.rule;
    for (int k = arose; k < ply; ++k)
        if (now.stronger == bothSides || sideAt(k, ply, sideAtPly) == now.stronger) ++counters.strongerSideMoves;
    // King against king: each side's moves count alike; the first to move reaches the limit first.
    if (now.stronger == bothSides) counters.strongerSideMoves = (counters.strongerSideMoves + 1) / 2;
    return counters;
}

DrawRule drawRuleAt(const GameRecord& record, int ply, int sideAtPly)
{
    const DrawCounters c = drawCountersAt(record, ply, sideAtPly);
    if (c.kingOnlyHalfMoves >= kingMovesOnlyLimit) return DrawRule::KingMovesOnly;
    if (c.balance == DrawRule::ThreeAgainstKing && c.strongerSideMoves >= threeAgainstKingLimit)
        return DrawRule::ThreeAgainstKing;
    if (c.balance == DrawRule::FewAgainstKing && c.strongerSideMoves >= fewAgainstKingLimit)
        return DrawRule::FewAgainstKing;
    return DrawRule::None;
}

std::string drawRuleMessage(DrawRule rule)
{
    switch (rule) {
    case DrawRule::KingMovesOnly:
        return "Ничья! 25 ходов каждой стороны сделаны только дамками, без взятий (правила ФШР).";
    case DrawRule::ThreeAgainstKing:
        return "Ничья! Одинокая дамка не взята к 16-му ходу сильнейшей стороны (правила ФШР).";
    case DrawRule::FewAgainstKing:
        return "Ничья! Одинокая дамка не взята к 5-му ходу сильнейшей стороны (правила ФШР).";
    case DrawRule::None: break;
    }
    return {};
}
