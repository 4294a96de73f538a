// Making and checking the endgame tables: the ".bit" file of win/loss/draw verdicts
// for the stronger side to move and one ".brg" distance file per table for the
// weaker side to move. The engine must have been started (initEngine).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/egtb.h"

// The pieces of one index of a table, A as White; false when two of them would
// share a square (such an index never occurs on a board).
struct TablePlacement {
    SquareSet strongKings, strongMen, weakKings, weakMen;
};
bool placementOfIndex(const BitbaseTable& table, std::uint32_t index, TablePlacement& out);

// Tables in an order in which every capture and promotion leads into a table that
// comes earlier: fewer pieces first, then fewer men.
std::vector<int> tableSolvingOrder(int maxPieces);

// What one table holds, for the progress report and for checks.
struct TableCounts {
    std::uint32_t positions = 0;   // legal positions (no two pieces on one square)
    std::uint32_t strongWins = 0;  // with A to move
    std::uint32_t strongLosses = 0;
    std::uint32_t weakWins = 0;    // with B to move
    std::uint32_t weakLosses = 0;
    int longestStrongWin = 0;      // moves of A, A to move
    int longestWeakLoss = 0;       // moves of A to win, B to move (the ".brg" byte)
    int longestWeakWin = 0;        // moves of B, B to move
    double seconds = 0;
};
struct TableSummary : TableCounts {
    std::string name;
};

struct BuildResult {
    bool ok = false;
    std::string error;
    std::vector<TableSummary> tables; // in solving order
    double seconds = 0;
};

// The tables that captures and promotions from a table lead into: it can be solved
// once they are.
std::vector<int> tablesReachedFrom(int table);

// Solves every table of 2 to maxPieces pieces and writes "egtb" maxPieces ".bit" and
// the ".brg" files into dir (which must exist). Up to `jobs` tables are solved at
// once, each in a process of its own, a table as soon as those it reaches are done;
// the files are the same whatever the number. Progress lines go to `progress` when
// it is not null, in the order in which the tables are done.
BuildResult buildBitbases(const std::string& dir, int maxPieces, std::FILE* progress, int jobs = 1);

struct VerifyResult {
    bool ok = false;
    std::vector<std::string> problems; // the first wrong entries, or why nothing could be checked
    int tablesChecked = 0;
    std::uint64_t positionsChecked = 0;
};

// Checks every legal position of every ".brg" table in dir, and the "egtbN.bit" files
// there, against the position's successors: value and distance.
VerifyResult verifyBitbases(const std::string& dir, std::size_t maxProblems = 10);
