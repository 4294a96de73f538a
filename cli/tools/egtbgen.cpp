// The endgame-table generator (retrograde, level by level) and an independent checker
// that tests every position against its successors.
#include "cli/tools/egtbgen.h"

#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace {

// A position's value from the view of the side to move: 0 draw, otherwise the plies
// to the end of the game plus one. An odd number of plies is a win, an even number a
// loss; 0 plies is a side that has no legal move (or no piece) at all.
using Code = std::uint8_t;
constexpr int maxPlies = 254;

constexpr int roleStrong = 0; // A to move: the ".bit" side
constexpr int roleWeak = 1;   // B to move: the ".brg" side

inline bool codeIsLoss(int code) { return code != 0 && (code - 1) % 2 == 0; }

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Every set of k squares (k = 1 to 4, as many pieces of a kind as a table holds) by
// its rank. Sets of k bits in increasing numeric order are in the order of their
// ranks, so the next set of the same size (Gosper's step) has the next rank.
class SetsByRank {
public:
    SetsByRank()
    {
        for (int k = 1; k <= mostOfAKind; ++k) {
            for (std::uint64_t s = (1u << k) - 1; s < (std::uint64_t{1} << 32);) {
                sets_[k].push_back(static_cast<SquareSet>(s));
                const std::uint64_t lowest = s & (~s + 1);
                const std::uint64_t ripple = s + lowest;
                s = ripple | (((s ^ ripple) >> 2) / lowest);
            }
        }
    }
    SquareSet at(std::uint32_t rank, int k) const { return k == 0 ? 0 : sets_[k][rank]; } // the set of a rank

private:
    static constexpr int mostOfAKind = 4;
    std::vector<SquareSet> sets_[mostOfAKind + 1];
};

// The square numbered n (from 0) among those not taken: every taken square at or
// below it moves it one further.
inline int nthFreeSquare(SquareSet taken, int n)
{
    for (; taken && __builtin_ctz(taken) <= n; taken &= taken - 1) ++n;
    return n;
}

void setBoard(const TablePlacement& p)
{
    whiteKings = p.strongKings;
    whiteMen = p.strongMen;
    blackKings = p.weakKings;
    blackMen = p.weakMen;
    recomputeDerivedSets();
}

// Where the current board stands in the tables, for the side to move: table -1 when
// that side has no piece left.
struct TableRef {
    int table;
    std::uint32_t index;
    int role;
};

TableRef locateBoard(int sideToMove)
{
    if ((sideToMove == White ? whitePieces : blackPieces) == 0) return {-1, 0, 0};
    const Material m{popCount(whiteKings), popCount(whiteMen), popCount(blackKings), popCount(blackMen)};
    const bool whiteIsA = m.weakKings < m.strongKings || (m.weakKings == m.strongKings && m.strongMen >= m.weakMen);
    if (whiteIsA) return {bitbaseTableOf(m), BitbaseIndex(), sideToMove == White ? roleStrong : roleWeak};
    const Material turned{m.weakKings, m.weakMen, m.strongKings, m.strongMen};
    return {bitbaseTableOf(turned),
            bitbaseIndexOf(mirrorSet(blackKings), mirrorSet(blackMen), mirrorSet(whiteKings), mirrorSet(whiteMen)),
            sideToMove == Black ? roleStrong : roleWeak};
}

// ---------------------------------------------------------------- building

struct BuildError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

using SolvedTables = std::vector<Code>[bitbaseTableCount][2];

constexpr std::uint8_t captureNode = 1; // must capture: its quiet moves are not legal
constexpr std::uint8_t cannotLose = 2;  // a capture or promotion reaches a draw or a win
constexpr std::uint8_t impossible = 4;  // two pieces on one square
constexpr std::uint8_t finished = 8;    // value final and passed on to predecessors

// What the solver keeps of one position, its value included: a parent reached from a
// settled position is one read from memory.
struct Node {
    std::uint8_t quietLeft = 0;  // quiet moves inside the table not yet known to lose
    std::uint8_t outsideLoss = 0; // longest loss through a capture or promotion, plies
    std::uint8_t flags = 0;
    Code value = 0;
};

class TableSolver {
public:
    TableSolver(int table, const SolvedTables& solved)
        : info_(bitbaseTables[table]), solved_(solved), levels_(maxPlies + 1)
    {
        for (int role = 0; role < 2; ++role) node_[role].assign(info_.positions, Node{});
    }

    void solve()
    {
        for (std::uint32_t i = 0; i < info_.positions; ++i) {
            TablePlacement p;
            if (!placementOfIndex(info_, i, p)) {
                node_[roleStrong][i].flags = node_[roleWeak][i].flags = impossible;
                continue;
            }
            setBoard(p);
            examine(roleStrong, i);
            examine(roleWeak, i);
        }
        for (int level = 0; level <= maxPlies; ++level) {
            std::vector<std::uint32_t>& queue = levels_[level];
            // Pushes from here go to later levels only, so the queue does not grow. The
            // parents of the next entry are gathered, and asked for from memory, before
            // this entry's parents are updated: their waits overlap with that work.
            Parents gathered[2];
            if (!queue.empty()) gather(queue[0], gathered[0]);
            for (std::size_t k = 0; k < queue.size(); ++k) {
                if (k + prefetchAhead < queue.size())
                    __builtin_prefetch(&node_[queue[k + prefetchAhead] & 1][queue[k + prefetchAhead] >> 1]);
                if (k + 1 < queue.size()) gather(queue[k + 1], gathered[(k + 1) % 2]);
                settle(queue[k] & 1, queue[k] >> 1, level, gathered[k % 2]);
            }
            std::vector<std::uint32_t>().swap(queue);
        }
    }

    // The values of a role, taken out once the table is solved.
    std::vector<Code> values(int role) const
    {
        std::vector<Code> out(node_[role].size());
        for (std::size_t i = 0; i < out.size(); ++i) out[i] = node_[role][i].value;
        return out;
    }
    bool isLegal(int role, std::uint32_t i) const { return !(node_[role][i].flags & impossible); }

private:
    void schedule(int level, int role, std::uint32_t i)
    {
        if (level > maxPlies)
            throw BuildError(std::string(info_.name) + ": a distance exceeds " + std::to_string(maxPlies) + " plies");
        levels_[level].push_back(i << 1 | static_cast<std::uint32_t>(role));
    }

    Code successorValue(int sideToMove) const
    {
        const TableRef ref = locateBoard(sideToMove);
        if (ref.table < 0) return 1; // no piece left: lost
        const std::vector<Code>& values = solved_[ref.table][ref.role];
        if (values.empty())
            throw BuildError(std::string(info_.name) + " reaches " + bitbaseTables[ref.table].name +
                             ", which is not solved yet");
        return values[ref.index];
    }

    // Sorts the moves of the position on the board: captures and promotions leave the
    // table and are valued at once, the quiet moves inside it are counted for the
    // retrograde pass.
    void examine(int role, std::uint32_t i)
    {
        Node& node = node_[role][i];
        const int side = role == roleStrong ? White : Black;
        plyState[1].hashMove = 0;
        int n = generateCaptures(side, 1);
        int quiet = 0;
        if (n > 0) {
            node.flags |= captureNode;
        } else {
            // Quiet moves are only counted; the promotions among them, which leave the
            // table, are listed with the moves of the men near their promotion rank.
            quiet = side == White ? countQuietMovesFor<White>() : countQuietMovesFor<Black>();
            n = generateAdvancedManMoves(side, 1);
        }
        if (n == 0 && quiet == 0) {
            node.value = 1;
            schedule(0, role, i);
            return;
        }
        const MoveList& list = moveLists[1];
        int shortestWin = INT_MAX, longestLoss = 0;
        bool draw = false;
        for (int k = 1; k <= n; ++k) {
            const MoveCode m = list.moves[k];
            if (!(m & (captureFlag | promotionFlag))) continue; // counted above
            if (!(m & captureFlag)) --quiet;
            makeMove(m, list.captured[k], side, 1);
            const int child = successorValue(side ^ 1);
            unmakeMove(1);
            if (child == 0) draw = true;
            else if (codeIsLoss(child)) shortestWin = std::min(shortestWin, child);     // plies child - 1, plus ours
            else longestLoss = std::max(longestLoss, child);
        }
        if (quiet > 255) throw BuildError(std::string(info_.name) + ": more than 255 quiet moves");
        node.quietLeft = static_cast<std::uint8_t>(quiet);
        node.outsideLoss = static_cast<std::uint8_t>(std::min(longestLoss, 255));
        if (longestLoss > maxPlies) throw BuildError(std::string(info_.name) + ": a loss is too long");
        if (draw || shortestWin != INT_MAX) node.flags |= cannotLose;
        if (shortestWin != INT_MAX) {
            schedule(shortestWin, role, i); // unless a quiet move wins sooner
        } else if (!draw && quiet == 0) {
            node.value = static_cast<Code>(longestLoss + 1);
            schedule(longestLoss, role, i);
        }
    }

    // The positions from which a queue entry was reached, for the other role.
    static constexpr int maxPredecessors = 4 * 13 + 2; // 4 kings with 13 squares each, or men
    struct Parents {
        std::uint32_t index[maxPredecessors];
        int count;
    };

    void gather(std::uint32_t entry, Parents& parents) const
    {
        const int parentRole = (entry & 1) ^ 1;
        parents.count = 0;
        forEachPredecessor(entry & 1, entry >> 1, [&](std::uint32_t parent) {
            if (parents.count == maxPredecessors) throw BuildError(std::string(info_.name) + ": too many predecessors");
            parents.index[parents.count++] = parent;
            __builtin_prefetch(&node_[parentRole][parent]);
        });
    }

    // A position whose value is now final at `level` plies passes it on to its parents.
    void settle(int role, std::uint32_t i, int level, const Parents& parents)
    {
        Node& node = node_[role][i];
        if (node.flags & finished) return;
        node.flags |= finished;
        if (node.value == 0) node.value = static_cast<Code>(level + 1);
        for (int k = 0; k < parents.count; ++k) update(role ^ 1, parents.index[k], level);
    }

    // One quiet move of the parent leads to a child settled at `level` plies.
    void update(int role, std::uint32_t i, int level)
    {
        Node& node = node_[role][i];
        if (node.flags & (finished | captureNode)) return;
        if (node.value != 0) return; // already known
        if (level % 2 == 0) {             // the child loses: the parent wins
            node.value = static_cast<Code>(level + 2);
            schedule(level + 1, role, i);
        } else if (!(node.flags & cannotLose) && --node.quietLeft == 0) {
            const int loss = std::max(level + 1, static_cast<int>(node.outsideLoss));
            node.value = static_cast<Code>(loss + 1);
            schedule(loss, role, i);
        }
    }

    // The positions (for the other role) from which the side that has just moved
    // reached this one by a quiet move that stays in the table (no promotion): king
    // moves and man steps taken back.
    template <class Visit>
    void forEachPredecessor(int role, std::uint32_t i, Visit visit) const
    {
        TablePlacement p;
        placementOfIndex(info_, i, p);
        const SquareSet occ = p.strongKings | p.strongMen | p.weakKings | p.weakMen;
        const bool strongMoved = (role ^ 1) == roleStrong;
        const SquareSet kings = strongMoved ? p.strongKings : p.weakKings;
        const SquareSet men = strongMoved ? p.strongMen : p.weakMen;
        // index = MB + N(MB) * (KB + N(KB) * (MA + N(MA) * KA)): a parent differs from
        // i in the parts of the side that moved (and, when A moved, in B's kings,
        // which are numbered among the squares A leaves free).
        const Material& m = info_.material;
        const std::uint32_t menB = binomial[28][m.weakMen];
        const std::uint32_t kingsB = binomial[32 - m.strongKings - m.strongMen][m.weakKings];
        const std::uint32_t menA = binomial[28][m.strongMen];
        const std::uint32_t mb = i % menB, kb = i / menB % kingsB, strongPart = i / menB / kingsB;
        auto emit = [&](SquareSet newKings, SquareSet newMen) {
            if (strongMoved) {
                const std::uint32_t a = setRank(newMen) + menA * setRank(newKings);
                visit(mb + menB * (rankAmongFree(p.weakKings, newKings | newMen) + kingsB * a));
            } else {
                const std::uint32_t k =
                    newKings == p.weakKings ? kb : rankAmongFree(newKings, p.strongKings | p.strongMen);
                const std::uint32_t n = newMen == p.weakMen ? mb : setRank(newMen >> 4);
                visit(n + menB * (k + kingsB * strongPart));
            }
        };
        for (SquareSet x = kings; x; x &= x - 1) {
            const int to = lowestBit(x);
            for (int d = 0; d < 4; ++d)
                for (int from = to; neighbourBit[d][from] && !(neighbourBit[d][from] & occ);) {
                    from = neighbourSquare[d][from];
                    emit(kings ^ squareBit[to] ^ squareBit[from], men);
                }
        }
        // A's men step up (directions 0, 1), so they came from below; B's the other way.
        const int back0 = strongMoved ? 2 : 0;
        for (SquareSet x = men; x; x &= x - 1) {
            const int to = lowestBit(x);
            for (int d = back0; d < back0 + 2; ++d) {
                const SquareSet b = neighbourBit[d][to];
                if (b && !(b & occ)) emit(kings, men ^ squareBit[to] ^ b);
            }
        }
    }

    static constexpr std::size_t prefetchAhead = 8; // queue entries whose nodes are fetched early

    const BitbaseTable& info_;
    const SolvedTables& solved_;
    std::vector<Node> node_[2];
    std::vector<std::vector<std::uint32_t>> levels_;
};

// The ".brg" byte for B to move, and the 2-bit ".bit" entry for A to move.
std::uint8_t distanceByte(Code code, const char* table)
{
    if (code == 0) return 0;
    const int plies = code - 1;
    if (plies == 0) return 255;
    const int moves = (plies + 1) / 2;
    if (plies % 2 == 0 && moves <= 127) return static_cast<std::uint8_t>(moves);
    if (plies % 2 == 1 && moves <= 124) return static_cast<std::uint8_t>(128 + moves);
    throw BuildError(std::string(table) + ": a distance of " + std::to_string(moves) + " moves does not fit a byte");
}

int verdictBits(Code code)
{
    if (code == 0) return 0;
    return codeIsLoss(code) ? 3 : 2;
}

void writeFile(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size)
{
    // Written beside and then renamed, so that an interrupted build leaves no short file.
    std::filesystem::path partial = path;
    partial += ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        out.close();
        if (!out) throw BuildError("cannot write " + partial.string());
    }
    std::error_code ec;
    std::filesystem::rename(partial, path, ec);
    if (ec) throw BuildError("cannot rename " + partial.string() + ": " + ec.message());
}

TableCounts countResults(const TableSolver& solver, const std::vector<Code>& strong, const std::vector<Code>& weak)
{
    TableCounts s;
    for (std::uint32_t i = 0; i < strong.size(); ++i) {
        if (!solver.isLegal(roleStrong, i)) continue;
        ++s.positions;
        if (strong[i] != 0) {
            const int moves = strong[i] / 2; // plies + 1 halved: moves of the winner, or of the loser
            if (codeIsLoss(strong[i])) ++s.strongLosses;
            else {
                ++s.strongWins;
                s.longestStrongWin = std::max(s.longestStrongWin, moves);
            }
        }
        if (weak[i] != 0) {
            const int moves = weak[i] / 2;
            if (codeIsLoss(weak[i])) {
                ++s.weakLosses;
                s.longestWeakLoss = std::max(s.longestWeakLoss, moves);
            } else {
                ++s.weakWins;
                s.longestWeakWin = std::max(s.longestWeakWin, moves);
            }
        }
    }
    return s;
}

// One table solved: both roles' values and what they hold.
struct SolvedTable {
    std::vector<Code> strong, weak;
    TableCounts counts;
};

// Solves a table from the solved tables it reaches and writes its ".brg" file.
SolvedTable solveTable(int table, const SolvedTables& solved, const std::filesystem::path& folder)
{
    const auto start = std::chrono::steady_clock::now();
    TableSolver solver(table, solved);
    solver.solve();
    SolvedTable out{solver.values(roleStrong), solver.values(roleWeak), {}};
    const BitbaseTable& info = bitbaseTables[table];
    std::vector<std::uint8_t> distances(info.positions);
    for (std::uint32_t i = 0; i < info.positions; ++i) distances[i] = distanceByte(out.weak[i], info.name);
    writeFile(folder / (std::string(info.name) + ".brg"), distances.data(), distances.size());
    out.counts = countResults(solver, out.strong, out.weak);
    out.counts.seconds = secondsSince(start);
    return out;
}

void reportTable(std::FILE* progress, const TableSummary& s)
{
    if (!progress) return;
    std::fprintf(progress,
                 "%s: %u positions; A to move: %u won (longest %d), %u lost; B to move: %u lost (longest %d), "
                 "%u won (longest %d); %.2f s\n",
                 s.name.c_str(), s.positions, s.strongWins, s.longestStrongWin, s.strongLosses, s.weakLosses,
                 s.longestWeakLoss, s.weakWins, s.longestWeakWin, s.seconds);
    std::fflush(progress);
}

// ---------------------------------------------------------------- checking

// What a value means, for messages.
std::string describe(int code)
{
    if (code == 0) return "draw";
    const int plies = code - 1;
    if (plies == 0) return "no legal move (lost)";
    const int moves = (plies + 1) / 2;
    return (plies % 2 ? "win in " : "loss in ") + std::to_string(moves);
}

// The ".brg" byte read back as a value for B to move; -1 for a byte without a
// meaning. This generator writes draws as 0, others write them as 128.
int codeOfDistanceByte(std::uint8_t byte)
{
    if (byte == 0 || byte == 128) return 0;
    if (byte == 255) return 1;
    if (byte <= 127) return 2 * byte + 1;       // B loses in byte moves: 2 * byte plies
    if (byte >= 129 && byte <= 252) return 2 * (byte - 128); // B wins: 2n - 1 plies
    return -1;
}

class Checker {
public:
    Checker(const std::string& dir, std::size_t maxProblems) : dir_(dir), maxProblems_(maxProblems) {}

    VerifyResult run()
    {
        loadFiles();
        if (result_.problems.empty()) {
            for (int t : tableSolvingOrder(bitbaseMaxPieces))
                if (present_[t] && !full()) checkTable(t);
            checkUncoveredBitEntries();
        }
        result_.ok = result_.problems.empty();
        return result_;
    }

private:
    bool full() const { return result_.problems.size() >= maxProblems_; }

    void problem(const std::string& text)
    {
        if (!full()) result_.problems.push_back(text);
    }

    static bool readWhole(const std::filesystem::path& path, std::vector<std::uint8_t>& out)
    {
        std::ifstream in(path, std::ios::binary);
        if (!in) return false;
        out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return !in.bad();
    }

    void loadFiles()
    {
        bool any = false;
        for (int t = 0; t < bitbaseTableCount; ++t) {
            const std::filesystem::path path = dir_ / (std::string(bitbaseTables[t].name) + ".brg");
            if (!std::filesystem::exists(path)) continue;
            any = true;
            if (!readWhole(path, distance_[t])) problem("cannot read " + path.string());
            else if (distance_[t].size() != bitbaseTables[t].positions)
                problem(path.string() + " has " + std::to_string(distance_[t].size()) + " bytes, not " +
                        std::to_string(bitbaseTables[t].positions));
            else present_[t] = true;
        }
        if (!any) problem("no .brg table in " + dir_.string());
        for (int n = 2; n <= bitbaseMaxPieces; ++n) {
            const std::filesystem::path path = dir_ / ("egtb" + std::to_string(n) + ".bit");
            if (!std::filesystem::exists(path)) continue;
            const std::size_t size = n == bitbaseMaxPieces ? bitbaseSizeFivePieces : bitbaseSizeFourPieces;
            if (!readWhole(path, verdicts_[n])) problem("cannot read " + path.string());
            else if (verdicts_[n].size() != size)
                problem(path.string() + " has " + std::to_string(verdicts_[n].size()) + " bytes, not " +
                        std::to_string(size));
        }
    }

    int bitEntry(int n, int table, std::uint32_t i) const
    {
        const std::uint8_t byte = verdicts_[n][bitbaseTables[table].offset + i / 4];
        return (byte >> (2 * (i % 4))) & 3;
    }

    std::string where(int table, std::uint32_t i, int side) const
    {
        return std::string(bitbaseTables[table].name) + " index " + std::to_string(i) + " (" + positionToText(side) + ")";
    }

    // The value of the current board for the side to move, from the files and from
    // what this check has already derived.
    int lookUp(int sideToMove, int fromTable)
    {
        const TableRef ref = locateBoard(sideToMove);
        if (ref.table < 0) return 1;
        if (!present_[ref.table]) {
            missing_ = std::string(bitbaseTables[fromTable].name) + " reaches " + bitbaseTables[ref.table].name +
                       ", whose .brg file is missing";
            return 0;
        }
        if (ref.role == roleWeak) return codes_[ref.table][ref.index];
        if (derived_[ref.table].empty()) {
            missing_ = std::string(bitbaseTables[fromTable].name) + " reaches " + bitbaseTables[ref.table].name +
                       " with A to move before that is known";
            return 0;
        }
        return derived_[ref.table][ref.index];
    }

    // The best a side to move can do, from the values of its successors.
    int valueFromSuccessors(int side, int table)
    {
        const int n = generateLegalMoves(side, 1);
        if (n == 0) return 1;
        const MoveList& list = moveLists[1];
        int shortestWin = INT_MAX, longestLoss = 0;
        bool draw = false;
        for (int k = 1; k <= n; ++k) {
            makeMove(list.moves[k], list.captured[k], side, 1);
            const int child = lookUp(side ^ 1, table);
            unmakeMove(1);
            if (child == 0) draw = true;
            else if (codeIsLoss(child)) shortestWin = std::min(shortestWin, child);
            else longestLoss = std::max(longestLoss, child);
        }
        if (shortestWin != INT_MAX) return shortestWin + 1;
        if (draw) return 0;
        return longestLoss + 1;
    }

    void checkTable(int t)
    {
        const BitbaseTable& info = bitbaseTables[t];
        codes_[t].assign(info.positions, 0);
        std::vector<int> derived(info.positions, 0);
        std::vector<bool> legal(info.positions, false);
        for (std::uint32_t i = 0; i < info.positions; ++i) {
            TablePlacement p;
            legal[i] = placementOfIndex(info, i, p);
            const std::uint8_t byte = distance_[t][i];
            if (!legal[i]) {
                if (codeOfDistanceByte(byte) != 0) problem(std::string(info.name) + " index " + std::to_string(i) +
                                       ": two pieces on one square, but the .brg byte is " + std::to_string(byte));
                continue;
            }
            const int code = codeOfDistanceByte(byte);
            if (code < 0) {
                setBoard(p);
                problem(where(t, i, Black) + ": .brg byte " + std::to_string(byte) + " has no meaning");
            }
            codes_[t][i] = static_cast<Code>(code < 0 ? 0 : code);
        }
        // A to move first: its values come from B-to-move entries of this and earlier tables.
        for (std::uint32_t i = 0; i < info.positions && !full(); ++i) {
            if (!legal[i]) continue;
            TablePlacement p;
            placementOfIndex(info, i, p);
            setBoard(p);
            derived[i] = valueFromSuccessors(White, t);
            if (!missing_.empty()) return problem(missing_);
            if (derived[i] > maxPlies + 1) problem(where(t, i, White) + ": a distance beyond the tables' range");
            ++result_.positionsChecked;
        }
        derived_[t].assign(derived.begin(), derived.end());
        for (std::uint32_t i = 0; i < info.positions && !full(); ++i) {
            if (!legal[i]) continue;
            TablePlacement p;
            placementOfIndex(info, i, p);
            setBoard(p);
            const int expected = valueFromSuccessors(Black, t);
            if (!missing_.empty()) return problem(missing_);
            if (expected != codes_[t][i])
                problem(where(t, i, Black) + ": .brg byte " + std::to_string(distance_[t][i]) + " says " +
                        describe(codes_[t][i]) + " for the side to move, its successors give " + describe(expected));
            ++result_.positionsChecked;
        }
        checkBitEntries(t, legal);
        ++result_.tablesChecked;
    }

    void checkBitEntries(int t, const std::vector<bool>& legal)
    {
        const BitbaseTable& info = bitbaseTables[t];
        for (int n = info.material.pieces(); n <= bitbaseMaxPieces; ++n) {
            if (verdicts_[n].empty()) continue;
            for (std::uint32_t i = 0; i < info.positions && !full(); ++i) {
                const int expected = legal[i] ? verdictBits(static_cast<Code>(derived_[t][i])) : 0;
                const int found = bitEntry(n, t, i);
                if (found == expected) continue;
                TablePlacement p;
                placementOfIndex(info, i, p);
                setBoard(p);
                problem("egtb" + std::to_string(n) + ".bit, " + where(t, i, White) + ": entry " +
                        std::to_string(found) + ", its successors give " + std::to_string(expected) + " (" +
                        describe(derived_[t][i]) + ")");
            }
        }
    }

    // Tables a ".bit" file holds only as zero padding, or could not be checked.
    void checkUncoveredBitEntries()
    {
        for (int n = 2; n <= bitbaseMaxPieces; ++n) {
            if (verdicts_[n].empty()) continue;
            const int tables = n == bitbaseMaxPieces ? bitbaseTableCount : 23;
            for (int t = 0; t < tables && !full(); ++t) {
                const BitbaseTable& info = bitbaseTables[t];
                if (info.material.pieces() <= n) {
                    if (!present_[t])
                        problem("egtb" + std::to_string(n) + ".bit holds " + info.name + ", but " + info.name +
                                ".brg is missing");
                    continue;
                }
                for (std::uint32_t b = 0; b < info.positions / 4; ++b)
                    if (verdicts_[n][info.offset + b] != 0) {
                        problem("egtb" + std::to_string(n) + ".bit: " + info.name + " has more than " +
                                std::to_string(n) + " pieces but byte " + std::to_string(info.offset + b) +
                                " is not 0");
                        break;
                    }
            }
        }
    }

    const std::filesystem::path dir_;
    const std::size_t maxProblems_;
    VerifyResult result_;
    bool present_[bitbaseTableCount] = {};
    std::vector<std::uint8_t> distance_[bitbaseTableCount];
    std::vector<Code> codes_[bitbaseTableCount];
    std::vector<std::uint16_t> derived_[bitbaseTableCount];
    std::vector<std::uint8_t> verdicts_[bitbaseMaxPieces + 1];
    std::string missing_;
};

} // namespace

bool placementOfIndex(const BitbaseTable& table, std::uint32_t index, TablePlacement& out)
{
    const Material& m = table.material;
    const std::uint32_t weakMenCount = binomial[28][m.weakMen];
    const std::uint32_t weakKingCount = binomial[32 - m.strongKings - m.strongMen][m.weakKings];
    const std::uint32_t strongMenCount = binomial[28][m.strongMen];
    const std::uint32_t weakMenRank = index % weakMenCount;
    index /= weakMenCount;
    const std::uint32_t weakKingRank = index % weakKingCount;
    index /= weakKingCount;
    const std::uint32_t strongMenRank = index % strongMenCount;
    const std::uint32_t strongKingRank = index / strongMenCount;
    static const SetsByRank sets;
    out.strongKings = sets.at(strongKingRank, m.strongKings);
    out.strongMen = sets.at(strongMenRank, m.strongMen);
    out.weakMen = sets.at(weakMenRank, m.weakMen) << 4;
    const SquareSet strong = out.strongKings | out.strongMen;
    // B's kings are numbered among the squares A leaves free.
    out.weakKings = 0;
    for (SquareSet x = sets.at(weakKingRank, m.weakKings); x; x &= x - 1)
        out.weakKings |= squareBit[nthFreeSquare(strong, lowestBit(x))];
    return !(out.strongKings & out.strongMen) && !(out.weakMen & (strong | out.weakKings));
}

std::vector<int> tableSolvingOrder(int maxPieces)
{
    std::vector<int> order;
    for (int t = 0; t < bitbaseTableCount; ++t)
        if (bitbaseTables[t].material.pieces() <= maxPieces) order.push_back(t);
    auto key = [](int t) {
        const Material& m = bitbaseTables[t].material;
        return m.pieces() * 10 + m.strongMen + m.weakMen;
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return key(a) < key(b); });
    return order;
}

std::vector<int> tablesReachedFrom(int table)
{
    const Material& m = bitbaseTables[table].material;
    std::vector<int> reached;
    auto add = [&](int ak, int am, int bk, int bm) {
        if (ak + am == 0 || bk + bm == 0) return; // a side without pieces: the game is over
        const bool aStronger = bk < ak || (bk == ak && am >= bm);
        const int t = bitbaseTableOf(aStronger ? Material{ak, am, bk, bm} : Material{bk, bm, ak, am});
        if (t >= 0 && std::find(reached.begin(), reached.end(), t) == reached.end()) reached.push_back(t);
    };
    // Either side moves: it takes any number of the other side's pieces, crowning one
    // of its men on the way or not, or it crowns a man with a quiet move.
    for (int aMoves = 0; aMoves < 2; ++aMoves) {
        const int ownKings = aMoves ? m.strongKings : m.weakKings, ownMen = aMoves ? m.strongMen : m.weakMen;
        const int otherKings = aMoves ? m.weakKings : m.strongKings, otherMen = aMoves ? m.weakMen : m.strongMen;
        for (int crowned = 0; crowned <= std::min(1, ownMen); ++crowned)
            for (int kings = 0; kings <= otherKings; ++kings)
                for (int men = 0; men <= otherMen; ++men) {
                    if (crowned + kings + men == 0) continue; // a quiet move stays in the table
                    const int k = ownKings + crowned, n = ownMen - crowned;
                    if (aMoves) add(k, n, otherKings - kings, otherMen - men);
                    else add(otherKings - kings, otherMen - men, k, n);
                }
    }
    return reached;
}

namespace {

// Anonymous memory shared with the processes forked after it was made.
class SharedBlock {
public:
    explicit SharedBlock(std::size_t bytes) : bytes_(bytes)
    {
        void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) throw BuildError("no memory for a table's results");
        data_ = static_cast<unsigned char*>(p);
    }
    SharedBlock(const SharedBlock&) = delete;
    SharedBlock& operator=(const SharedBlock&) = delete;
    ~SharedBlock() { munmap(data_, bytes_); }
    unsigned char* data() const { return data_; }

private:
    std::size_t bytes_;
    unsigned char* data_;
};

// What a worker process hands back after the two roles' values.
struct WorkerReport {
    bool solved;
    TableCounts counts;
    char error[256];
};

// The solving of the tables: which is due next, and what becomes of a solved one.
class BuildPlan {
public:
    BuildPlan(int maxPieces, const std::filesystem::path& folder, std::FILE* progress, BuildResult& result)
        : order_(tableSolvingOrder(maxPieces)), folder_(folder), progress_(progress), result_(result),
          verdicts_(maxPieces == bitbaseMaxPieces ? bitbaseSizeFivePieces : bitbaseSizeFourPieces, 0)
    {
        for (auto& t : solved_)
            for (auto& v : t) std::vector<Code>().swap(v);
    }
    ~BuildPlan()
    {
        for (auto& t : solved_)
            for (auto& v : t) std::vector<Code>().swap(v);
    }

    void runInThisProcess()
    {
        for (const int t : order_) finish(t, solveTable(t, solved_, folder_));
    }

    void runInWorkers(int jobs)
    {
        struct Worker {
            pid_t pid;
            int table;
            std::unique_ptr<SharedBlock> block;
        };
        std::vector<Worker> workers;
        std::string failure;
        for (;;) {
            for (int t; failure.empty() && static_cast<int>(workers.size()) < jobs && (t = nextReady()) >= 0;) {
                auto block = std::make_unique<SharedBlock>(2 * bitbaseTables[t].positions + sizeof(WorkerReport));
                std::fflush(nullptr); // nothing buffered is written twice
                const pid_t parent = getpid();
                const pid_t pid = fork();
                if (pid < 0) {
                    failure = "cannot start a process";
                    break;
                }
                if (pid == 0) {
                    // A worker ends with the build: a build that is stopped leaves nothing running.
                    prctl(PR_SET_PDEATHSIG, SIGKILL);
                    if (getppid() != parent) _exit(1);
                    solveInWorker(t, *block); // does not return
                }
                started_[t] = true;
                workers.push_back({pid, t, std::move(block)});
            }
            if (workers.empty()) break;
            int status = 0;
            const pid_t pid = waitpid(-1, &status, 0);
            const auto w = std::find_if(workers.begin(), workers.end(), [&](const Worker& x) { return x.pid == pid; });
            if (w == workers.end()) continue;
            const std::string error = collect(w->table, *w->block, status);
            if (failure.empty()) failure = error;
            workers.erase(w);
        }
        if (!failure.empty()) throw BuildError(failure);
        if (std::count(started_, started_ + bitbaseTableCount, true) != static_cast<long>(order_.size()))
            throw BuildError("some tables could not be solved");
    }

    void writeVerdicts(int maxPieces)
    {
        writeFile(folder_ / ("egtb" + std::to_string(maxPieces) + ".bit"), verdicts_.data(), verdicts_.size());
        // In solving order, whatever order the workers finished in.
        std::vector<TableSummary> ordered;
        for (const int t : order_)
            for (const TableSummary& s : result_.tables)
                if (s.name == bitbaseTables[t].name) ordered.push_back(s);
        result_.tables = std::move(ordered);
    }

private:
    // The first table in solving order, not yet started, whose reached tables are solved.
    int nextReady() const
    {
        for (const int t : order_) {
            if (started_[t]) continue;
            const std::vector<int> reached = tablesReachedFrom(t);
            if (std::all_of(reached.begin(), reached.end(), [&](int r) { return !solved_[r][roleStrong].empty(); }))
                return t;
        }
        return -1;
    }

    [[noreturn]] void solveInWorker(int t, SharedBlock& block)
    {
        const std::uint32_t n = bitbaseTables[t].positions;
        auto* report = reinterpret_cast<WorkerReport*>(block.data() + 2 * n);
        try {
            const SolvedTable table = solveTable(t, solved_, folder_);
            std::copy(table.strong.begin(), table.strong.end(), block.data());
            std::copy(table.weak.begin(), table.weak.end(), block.data() + n);
            report->counts = table.counts;
            report->solved = true;
        } catch (const std::exception& e) {
            std::snprintf(report->error, sizeof report->error, "%s", e.what());
        }
        _exit(0); // the parent's files, buffers and handlers are its own
    }

    // A worker's results taken over, or why there are none.
    std::string collect(int t, const SharedBlock& block, int status)
    {
        const std::uint32_t n = bitbaseTables[t].positions;
        const auto* report = reinterpret_cast<const WorkerReport*>(block.data() + 2 * n);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return std::string("the process solving ") + bitbaseTables[t].name + " ended abnormally";
        if (!report->solved) return report->error;
        SolvedTable table{std::vector<Code>(block.data(), block.data() + n),
                          std::vector<Code>(block.data() + n, block.data() + 2 * n), report->counts};
        finish(t, std::move(table));
        return {};
    }

    void finish(int t, SolvedTable&& table)
    {
        const BitbaseTable& info = bitbaseTables[t];
        for (std::uint32_t i = 0; i < info.positions; ++i)
            verdicts_[info.offset + i / 4] |= static_cast<std::uint8_t>(verdictBits(table.strong[i]) << (2 * (i % 4)));
        TableSummary summary;
        static_cast<TableCounts&>(summary) = table.counts;
        summary.name = info.name;
        result_.tables.push_back(summary);
        reportTable(progress_, summary);
        started_[t] = true;
        solved_[t][roleStrong] = std::move(table.strong);
        solved_[t][roleWeak] = std::move(table.weak);
    }

    static SolvedTables solved_; // up to 175 MB for five pieces: not on the stack
    const std::vector<int> order_;
    const std::filesystem::path folder_;
    std::FILE* const progress_;
    BuildResult& result_;
    std::vector<std::uint8_t> verdicts_;
    bool started_[bitbaseTableCount] = {};
};

SolvedTables BuildPlan::solved_;

} // namespace

BuildResult buildBitbases(const std::string& dir, int maxPieces, std::FILE* progress, int jobs)
{
    BuildResult result;
    const auto start = std::chrono::steady_clock::now();
    if (maxPieces < 2 || maxPieces > bitbaseMaxPieces) {
        result.error = "the number of pieces must be 2 to 5";
        return result;
    }
    buildBinomialTable();
    try {
        BuildPlan plan(maxPieces, dir, progress, result);
        if (jobs <= 1) plan.runInThisProcess();
        else plan.runInWorkers(jobs);
        plan.writeVerdicts(maxPieces);
        result.ok = true;
    } catch (const std::exception& e) {
        result.error = e.what();
    }
    result.seconds = secondsSince(start);
    return result;
}

VerifyResult verifyBitbases(const std::string& dir, std::size_t maxProblems)
{
    buildBinomialTable();
    return Checker(dir, maxProblems == 0 ? 1 : maxProblems).run();
}
