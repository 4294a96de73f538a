// Korvel engine: the shared types and tables, and the state of one search.
//
// What every search shares is global and read-only while searches run: the board and
// evaluation tables, the keys, the transposition tables (written by all searches at
// once, see HashEntry) and the bitbases. What belongs to one search (its position, the
// per-ply records and move lists, the principal variation, killers and history,
// counters and flags) is a Searcher: one per searching thread. The program-wide
// mainSearcher, declared at the end, searches on the window thread, and its position
// at ply 0 is the game position that the game layer reads and changes through the
// familiar names (whiteMen, moveLists, makeMove ...).
//
// Sides are 0 = White and 1 = Black everywhere; the side and the ply are passed as
// arguments. Ply 0 belongs to the game controller and the windows, the search's root
// is ply 1.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

using SquareSet = std::uint32_t;
using MoveCode = std::uint16_t;

// ---------------------------------------------------------------- constants
constexpr int White = 0;
constexpr int Black = 1;

constexpr MoveCode captureFlag = 0x4000;
constexpr MoveCode promotionFlag = 0x8000;

constexpr int moveFrom(MoveCode m) { return m & 31; }
constexpr int moveTo(MoveCode m) { return (m >> 5) & 31; }
constexpr int moveCapturedCount(MoveCode m) { return (m >> 10) & 15; }

constexpr int maxPly = 64;      // per-ply records 0..64
constexpr int moveListPlies = 64; // move lists 0..63
// The lists are far larger than any position needs (the largest found while
// testing is listed in the move generator's tests); a generator never writes past
// the end but stops storing.
constexpr int moveListCapacity = 1023;

constexpr SquareSet whitePromotionRank = 0xF0000000u; // squares 28-31
constexpr SquareSet blackPromotionRank = 0x0000000Fu; // squares 0-3

constexpr int boundUpper = 1;
constexpr int boundLower = 2;
constexpr int boundExact = 3;

constexpr char initialPositionText[] = "wwwwwwwwwwww00000000bbbbbbbbbbbb w";
constexpr char emptyPositionText[] = "00000000000000000000000000000000 w";

// Scores and limits of the search.
constexpr int infiniteScore = 5000;   // a side left without moves at ply p scores p - 5000
constexpr int deepestPly = 63;        // a node at this ply returns the static score
constexpr int firstIterationDepth = 7;
constexpr int lastIterationDepth = 63;
constexpr int preSearchDepth = 5;
constexpr int timeCheckInterval = 200000; // moves made between two clock readings
constexpr std::int32_t unlimitedTime = 2000000000;

// ---------------------------------------------------------------- errors
// A value in the configuration file that cannot be used; the Russian text names the
// file, the text and the key.
struct ConfigError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// The tables the configuration asks for do not fit in memory.
struct TableMemoryError : ConfigError {
    using ConfigError::ConfigError;
};

// ---------------------------------------------------------------- bit helpers
inline int lowestBit(SquareSet s) { return s ? __builtin_ctz(s) : 0; }
inline int highestBit(SquareSet s) { return s ? 31 - __builtin_clz(s) : 0; }
inline int popCount(SquareSet s) { return __builtin_popcount(s); }

std::string squareSetText(SquareSet s);
std::string scoreText(int score);
// "c3-d4" for a quiet move, "c3:e5" for a capture.
std::string moveText(MoveCode m);
// A line of moves as the variation shows it: each move's text and a blank; entries
// that are 0 are left out.
std::string lineText(const MoveCode* moves, int count);

// Whole-set steps to the neighbour in one direction. Ranks 1, 3, 5, 7 and ranks
// 2, 4, 6, 8 sit half a square apart, so the shift depends on the rank's parity.
constexpr SquareSet rank1357 = 0x0F0F0F0Fu;
constexpr SquareSet rank2468 = 0xF0F0F0F0u;
constexpr SquareSet fileA = 0x01010101u;
constexpr SquareSet fileH = 0x80808080u;

inline SquareSet stepUpLeft(SquareSet x) { return ((x & rank1357 & ~fileA) << 3) | ((x & rank2468) << 4); }
inline SquareSet stepUpRight(SquareSet x) { return ((x & rank1357) << 4) | ((x & rank2468 & ~fileH) << 5); }
inline SquareSet stepDownRight(SquareSet x) { return ((x & rank1357) >> 4) | ((x & rank2468 & ~fileH) >> 3); }
inline SquareSet stepDownLeft(SquareSet x) { return ((x & rank1357 & ~fileA) >> 5) | ((x & rank2468) >> 4); }

// ---------------------------------------------------------------- board
extern const char* const squareName[32];
extern SquareSet squareBit[32];
extern SquareSet squareClear[32];
extern SquareSet neighbourBit[4][32];
extern int neighbourSquare[4][32];
extern SquareSet adjacentMask[32];
extern SquareSet diagonalMask[32];

extern char boardPicture[64];
extern char previousBoardPicture[64];

void buildBoardTables();
void fillNeighbourSquares(); // also the move generator's derived tables
// The set turned by 180 degrees: bit s becomes bit 31 - s.
constexpr SquareSet mirrorSet(SquareSet s)
{
    // Bit s goes to bit 31 - s: a 32-bit reversal by swapping ever smaller halves.
    s = (s >> 16) | (s << 16);
    s = ((s >> 8) & 0x00FF00FFu) | ((s & 0x00FF00FFu) << 8);
    s = ((s >> 4) & 0x0F0F0F0Fu) | ((s & 0x0F0F0F0Fu) << 4);
    s = ((s >> 2) & 0x33333333u) | ((s & 0x33333333u) << 2);
    s = ((s >> 1) & 0x55555555u) | ((s & 0x55555555u) << 1);
    return s;
}

int squareFromName(const std::string& name); // -1 when it names no dark square
// The game position's board picture; the one before is kept as the previous picture.
void refreshBoardPicture();

// ---------------------------------------------------------------- move lists
struct MoveList {
    int count;
    MoveCode moves[moveListCapacity + 1];        // entries 1..count
    SquareSet captured[moveListCapacity + 1];
    std::int32_t scores[moveListCapacity + 1];
};

struct PlyState {
    SquareSet savedWhiteKings;
    SquareSet savedWhiteMen;
    SquareSet savedBlackKings;
    SquareSet savedBlackMen;
    std::uint32_t bestMove;
    std::int32_t movesLeft;
    std::uint32_t positionKey;
    std::uint8_t sortPending;
    MoveCode hashMove;
    std::int32_t hashBound;
    std::int32_t materialBalance;
    std::int32_t extensionCredit;
};

void buildJumpTables(); // from the neighbour tables

// ---------------------------------------------------------------- ordering
extern std::int32_t historyBonusStore[129];        // d = -64..64
inline std::int32_t historyBonus(int d) { return historyBonusStore[d + 64]; }
void buildHistoryBonus();

// ---------------------------------------------------------------- hashing
// One table entry: the key, the score, the move and the packed depth, bound and age,
// in two 64-bit words that every search thread reads and writes whole, without a lock.
// Two threads writing one entry at once may leave one word of each; the key is kept
// mixed with the other word, so that such an entry no longer matches its key and
// reads as a miss. An empty entry is all zero and holds key 0.
struct HashEntry {
    std::uint64_t keyAndScore; // high half: key ^ mixed(moveAndInfo); low half: score
    std::uint64_t moveAndInfo; // bits 0-15 move; from bit 16 info: depth | bound << 8 | age << 16

    static std::uint32_t mixed(std::uint64_t word)
    {
        return static_cast<std::uint32_t>((word * 0x9E3779B97F4A7C15ull) >> 32);
    }
    // One consistent reading of both words.
    struct Fields {
        std::uint32_t key;
        std::int32_t score;
        MoveCode move;
        std::uint32_t info; // depth | bound << 8 | age << 16
    };
    Fields read() const
    {
        const std::uint64_t a = std::atomic_ref<const std::uint64_t>(keyAndScore).load(std::memory_order_relaxed);
        const std::uint64_t b = std::atomic_ref<const std::uint64_t>(moveAndInfo).load(std::memory_order_relaxed);
        return {static_cast<std::uint32_t>(a >> 32) ^ mixed(b), static_cast<std::int32_t>(static_cast<std::uint32_t>(a)),
                static_cast<MoveCode>(b), static_cast<std::uint32_t>(b >> 16)};
    }
    // The info word alone, for the replacement rule, which looks at no key.
    std::uint32_t info() const
    {
        return static_cast<std::uint32_t>(
            std::atomic_ref<const std::uint64_t>(moveAndInfo).load(std::memory_order_relaxed) >> 16);
    }
    void write(std::uint32_t key, std::int32_t score, MoveCode move, std::uint32_t info)
    {
        const std::uint64_t b = move | static_cast<std::uint64_t>(info) << 16;
        const std::uint64_t a =
            static_cast<std::uint64_t>(key ^ mixed(b)) << 32 | static_cast<std::uint32_t>(score);
        std::atomic_ref<std::uint64_t>(keyAndScore).store(a, std::memory_order_relaxed);
        std::atomic_ref<std::uint64_t>(moveAndInfo).store(b, std::memory_order_relaxed);
    }
};
static_assert(sizeof(HashEntry) == 16);

struct HashPeek {
    int bound; // 0: no entry with the key
    int depth;
    int score;
};

extern std::uint32_t pieceKeys[4][32]; // White king, White man, Black king, Black man
extern std::uint32_t blackToMoveKey;
extern HashEntry* hashTables[2];
extern std::int32_t hashMask;
extern std::int32_t searchAge;

// Both tables in one block, White's first, as it came from the system: all zero.
struct HashTableBlock {
    struct Release {
        std::size_t bytes;
        void operator()(HashEntry* p) const; // gives the pages back to the system
    };
    std::unique_ptr<HashEntry[], Release> entries; // null: keep the tables in place
    std::size_t perTable = 0;
};
// Where the tables' memory comes from: zero-filled pages mapped from the system, to
// be unmapped again, or null when there are none. Replaceable, so that a failure
// can be tried out.
extern void* (*hashTableMemory)(std::size_t bytes);
// Tables of mask + 1 entries each, or an empty block when the tables in place already
// have that size; throws TableMemoryError, changing nothing, when memory runs out.
HashTableBlock newHashTables(std::int32_t mask);
// The block becomes the tables (the old ones are released), or, when it is empty, the
// tables in place are cleared. Cannot fail.
void installHashTables(HashTableBlock&& block, std::int32_t mask);

// The run-time random generator (keys, library choice), seeded from the clock.
void seedRandom(std::uint32_t seed);
void seedRandomFromClock();
std::uint32_t randomBelow(std::uint32_t bound);

std::uint32_t randomKey();
void buildKeys();
void clearHash(); // quick when nothing was stored since the tables were last empty
// Writes every page of the tables once, changing nothing, so that the system gives
// them their memory now: for measurements that must not count that first-touch work.
void touchHashTables();
// Wins and losses (beyond decidedScore) count their plies from the root; the tables
// hold them counted from the entry's own node, so that a position met again at
// another ply gets the right distance back. Other scores, bitbase verdicts among
// them, are stored as they are.
constexpr int decidedScore = 4000;
constexpr int scoreToTable(int score, int ply)
{
    return score > decidedScore ? score + ply : score < -decidedScore ? score - ply : score;
}
constexpr int scoreFromTable(int stored, int ply)
{
    return stored > decidedScore ? stored - ply : stored < -decidedScore ? stored + ply : stored;
}

// Asks the memory for the entry of a key ahead of its probe: a probe lands anywhere in
// the tables and mostly waits for memory.
inline void prefetchHash(std::uint32_t key, int side)
{
    __builtin_prefetch(&hashTables[side][key & static_cast<std::uint32_t>(hashMask)]);
}
// The entry's score as stored: pass it through scoreFromTable with the entry's ply.
HashPeek peekHash(std::uint32_t key, int side);

// ---------------------------------------------------------------- evaluation
extern int manSquareTable[32];
extern int kingSquareTable[32];

// The evaluation's lookup tables derived from the square tables; after any change of them.
void buildEvaluationTables();

// ---------------------------------------------------------------- start-up
extern std::string configFileName; // "korvel.ini" in the working directory
extern std::string egtbpath;
extern std::int32_t EGTBPieses;
// "threads": how many threads a full-strength search may use; from the file, else
// the machine's logical processors, at most maxSearchThreads.
extern std::int32_t configuredThreads;
constexpr int maxSearchThreads = 16;
// The machine's logical processors, at least 1 and at most maxSearchThreads.
int logicalProcessors();

// Throws ConfigError (or TableMemoryError) and then leaves everything as it was:
// settings, tables, keys and position. A file that exists but cannot be read, and
// values outside their ranges (hashsize from 1 to what fits in memory, EGTBPieses
// from 0 to 5) are such errors.
void initEngine();
// initEngine without reading the configuration file: the default settings.
void initEngineWithDefaults();
void finishStartup(); // once, after the first initEngine
// The bytes of a regular file; false, with the system's error number (ENOENT, EISDIR,
// EACCES...), when it cannot be read. A pipe under the name does not block it.
bool readRegularFile(const std::string& path, std::string& bytes, int& errorNumber);
// Reads the configuration file as initEngine does and throws the same ConfigError,
// changing nothing: a new game can check the file before it ends the game in progress.
void checkConfiguration();

// ---------------------------------------------------------------- captures, shared parts
// The men that can make a first jump in each direction: the enemy piece next to them
// in that direction has an empty square behind it. The squares whose up-left
// neighbour lies in a set are that set stepped down-right, and so on.
struct FirstJumps {
    SquareSet dir[4];
    SquareSet any() const { return dir[0] | dir[1] | dir[2] | dir[3]; }
    // The directions of the man on s, one bit each.
    unsigned of(int s) const
    {
        return ((dir[0] >> s) & 1u) | (((dir[1] >> s) & 1u) << 1) | (((dir[2] >> s) & 1u) << 2) |
               (((dir[3] >> s) & 1u) << 3);
    }
};

// The squares from which a jump in each direction lands on the board: two steps in
// one direction always move 7 or 9 square numbers (up-left +7, up-right +9,
// down-right -7, down-left -9), whatever the rank's parity.
constexpr SquareSet jumpableFrom(int d)
{
    SquareSet set = 0;
    for (int s = 0; s < 32; ++s) {
        const int rank = s / 4 + 1;
        const int file = rank % 2 == 1 ? 2 * (s % 4) + 1 : 2 * (s % 4) + 2;
        const bool up = d < 2;
        const bool left = d == 0 || d == 3;
        if ((up ? rank <= 6 : rank >= 3) && (left ? file >= 3 : file <= 6)) set |= 1u << s;
    }
    return set;
}

constexpr SquareSet jumpable[4] = {jumpableFrom(0), jumpableFrom(1), jumpableFrom(2), jumpableFrom(3)};

inline FirstJumps firstJumps(SquareSet men, SquareSet enemy, SquareSet empty)
{
    return {{men & jumpable[0] & stepDownRight(enemy) & (empty >> 7), men & jumpable[1] & stepDownLeft(enemy) & (empty >> 9),
             men & jumpable[2] & stepUpLeft(enemy) & (empty << 7), men & jumpable[3] & stepUpRight(enemy) & (empty << 9)}};
}

// True when every first jump of the men ends its move, as most captures do: no
// landing square on the promotion rank, and none from which the man can jump on. It
// may not jump back over the piece it has just taken, so that direction is left
// out; every other jump from the landing square passes squares the move has not
// touched, so the board as it stands decides it.
template <int side>
inline bool firstJumpsEndTheMove(const FirstJumps& jumps, SquareSet enemy, SquareSet empty)
{
    const FirstJumps onward = firstJumps(~0u, enemy, empty); // from any square
    const SquareSet upLeft = jumps.dir[0] << 7, upRight = jumps.dir[1] << 9;
    const SquareSet downRight = jumps.dir[2] >> 7, downLeft = jumps.dir[3] >> 9;
    const SquareSet goesOn = (upLeft & (onward.dir[0] | onward.dir[1] | onward.dir[3])) |
                             (upRight & (onward.dir[0] | onward.dir[1] | onward.dir[2])) |
                             (downRight & (onward.dir[1] | onward.dir[2] | onward.dir[3])) |
                             (downLeft & (onward.dir[0] | onward.dir[2] | onward.dir[3]));
    const SquareSet promotion = side == White ? whitePromotionRank : blackPromotionRank;
    return !(goesOn | ((upLeft | upRight | downRight | downLeft) & promotion));
}

// ---------------------------------------------------------------- one search's state
class SearchReporter;
// What a progress report is about (SearchProgress, engine/search.h).
enum class ProgressKind {
    NewBestMove,  // a root move became best within an iteration
    Iteration,    // a root search of the depth loop ended (its score may lie outside the window)
    TimeCheck,    // the clock was read: moves, speed and probes only
    LevelChoice,  // a low strength level chose its move from scored root moves: depth, score, move
};
struct Material;

// Everything one search works on. A search thread owns one; nothing in it is touched
// by another thread while it searches, except the stop flag and the published counts.
class Searcher {
public:
    // ------------------------------------------------------------ the position
    SquareSet whiteMen = 0, whiteKings = 0, whitePieces = 0;
    SquareSet blackMen = 0, blackKings = 0, blackPieces = 0;
    SquareSet occupied = 0;
    int sideToMove = 0; // of the game position (mainSearcher); searches take the side as an argument

    // ------------------------------------------------------------ per ply
    PlyState plyState[maxPly + 1] = {};
    MoveList moveLists[moveListPlies] = {};
    // makeMove counts down; the time check runs when it reaches 0.
    std::int32_t nodeCountdown = timeCheckInterval;

    // ------------------------------------------------------------ ordering
    std::int32_t historyTable[2][1024] = {};
    MoveCode killerMovesStore[maxPly + 3][2] = {}; // plies -2..64
    // Where each quiet move of the list being filled stands, by its history index.
    std::uint16_t quietSlot[1024] = {};

    // ------------------------------------------------------------ principal variation
    // Row p: the best line from ply p, entry c being the move at ply p + c (low 16 bits).
    std::uint32_t pvTable[maxPly + 1][66] = {};
    // The ply of the last move of row p's line; p - 1 means an empty line.
    int pvLast[maxPly + 1] = {};

    // ------------------------------------------------------------ counters and flags
    // Moves made this engine move, in steps of 200000 by the time check. 64 bits: an
    // analysis without a time limit passes 2^31 moves within minutes.
    std::int64_t nodeCount = 0;
    std::uint32_t bitbaseProbeCount = 0; // since the engine turn began
    // Set by the time check, by a found win or loss, by user commands and, for a
    // helper, by its main search; the search returns as soon as it sees it.
    std::atomic<bool> stopRequested{false};

    // ------------------------------------------------------------ settings and results
    int engineSide = Black;               // the side the search moves for
    std::int32_t timeBudget = 200;        // hundredths of a second; unlimitedTime
    int maxIterationDepth = lastIterationDepth; // the depth loop ends after this depth
    int threads = 1;                      // threads the depth loop runs on, this one included
    SearchReporter* searchReporter = nullptr; // null: silent, no texts but pvText, no allocation
    // The opening library's candidate count for the position searched, null counting 0.
    // While candidates exist the root list keeps generation order, so that a
    // candidate's index still names its move.
    int (*bookCandidateCountHook)() = nullptr;
    char moveSeparator = '-';             // ':' when the root moves are captures, '-' otherwise
    std::string pvText;                   // the principal variation, moves followed by a blank
    int depthShown = 0;                   // depth of the iteration in progress
    int rootScore = 0;                    // score of the last completed root search
    double budgetStart = 0;               // when the preparation began: the budget counts from here
    double searchStart = 0;               // when the depth loop began: the speed counts from here
    double lastReading = 0;
    int windowLow = -infiniteScore, windowHigh = infiniteScore; // the aspiration window
    bool failedHigh = false, failedLow = false;

    // A helper searches beside a main search: it reads no clock, reports nothing, and
    // publishes its counts for the main search's reports.
    bool helper = false;
    int helperIndex = 0;   // 0 the first helper
    // Other threads search the same tree: a move another thread is searching is left
    // for last (the main search and its helpers, while they run together).
    bool shared = false;
    // The root search a helper runs (threads.h RootTask, packed), for its main search
    // to stop it when it falls behind.
    std::atomic<std::uint64_t> helperTask{0};
    std::atomic<bool> dismissed{false}; // set by the main search before it stops the helper
    std::atomic<std::int64_t> publishedMoves{0};
    std::atomic<std::uint32_t> publishedProbes{0};
    // Per ply, the list entries left for last because another thread was searching
    // them (a shared search only). Last, so that the fields every node reads keep their
    // places.
    static constexpr int maxDeferred = 32;
    std::uint16_t deferredMoves[maxPly + 1][maxDeferred] = {};

    // ------------------------------------------------------------ position
    void setPositionFromText(const std::string& text);
    std::string positionToText(int side) const; // "w", "W", "b", "B", "0", blank, side
    // After any direct edit of the four primary sets.
    void recomputeDerivedSets()
    {
        whitePieces = whiteKings | whiteMen;
        blackPieces = blackKings | blackMen;
        occupied = whitePieces | blackPieces;
    }
    // The position, the root's records and list and the ordering tables of another
    // search, as a helper starts from them.
    void copyRootFrom(const Searcher& main);

    // ------------------------------------------------------------ moves
    template <int side>
    inline int generateCapturesFor(int ply);
    template <int side>
    int generateQuietMovesFor(int ply);
    int generateCaptures(int side, int ply)
    {
        return side == White ? generateCapturesFor<White>(ply) : generateCapturesFor<Black>(ply);
    }
    int generateQuietMoves(int side, int ply)
    {
        return side == White ? generateQuietMovesFor<White>(ply) : generateQuietMovesFor<Black>(ply);
    }
    int generateAdvancedManMoves(int side, int ply);
    template <int side>
    inline int generateAdvancedManMovesFor(int ply);
    // Captures if any, else quiet moves: every caller's way to list the legal moves.
    int generateLegalMoves(int side, int ply)
    {
        const int n = generateCaptures(side, ply);
        return n ? n : generateQuietMoves(side, ply);
    }
    template <int side>
    inline int countQuietMovesFor() const;
    template <int side>
    inline int countLegalMovesFor(int ply);
    // The capture searches of every piece that can capture (movegen.cpp).
    template <int side>
    int searchCaptures(int ply, const FirstJumps& jumps);
    // The quiet moves of the given men, with their ordering scores (movegen.cpp).
    template <int side>
    int storeAdvancedManMoves(int ply, SquareSet men);

    template <int side, bool keyed = true>
    inline void makeMoveFor(MoveCode m, SquareSet captured, int ply);
    void makeMove(MoveCode m, SquareSet captured, int side, int ply)
    {
        if (side == White) makeMoveFor<White>(m, captured, ply);
        else makeMoveFor<Black>(m, captured, ply);
    }
    inline void unmakeMove(int ply);
    inline void keyAfterQuietMove(MoveCode m, int side, int ply);

    // ------------------------------------------------------------ ordering
    MoveCode (&killerMoves(int ply))[2] { return killerMovesStore[ply + 2]; }
    void clearOrdering();
    void recordCutoff(int side, MoveCode move, int ply, int depth);
    inline int pickNextMove(int ply); // entry 1..count, or 0 when none is left

    // ------------------------------------------------------------ keys and tables
    std::uint32_t hashPosition(int side) const;
    int probeHash(int side, int depth, int ply); // the score seen from ply
    void storeHash(int side, int depth, int ply, int score, int bound, MoveCode move);

    // ------------------------------------------------------------ evaluation
    int evaluate(int side) const;
    int materialScore(int side) const;

    // ------------------------------------------------------------ bitbases (egtb.cpp)
    // Exchanges White and Black and turns the board by 180 degrees; twice restores it.
    void SwapSides();
    std::string TableName() const;
    std::uint32_t BitbaseIndex() const;
    int ProbeBitbase();
    int ProbeExact();
    std::string EndgameVerdictsText(int side);

    // ------------------------------------------------------------ the search (search.cpp)
    void prepareSearch(int side);
    void prepareRoot(int side);
    void scoreRootMoves(int side, int depth);
    void sortRootMoves();
    // The depth loop for engineSide, on `threads` threads; on return entry 1 of the
    // root list is the move to play.
    void iterativeDeepening();
    // The depth loop of this thread alone.
    void depthLoop();
    // A helper's: the main search's root searches beside it, the next depth alone when
    // done first, until dismissed.
    void helperDepthLoop();
    int rootSearch(int alpha, int beta, int depth, int side);
    // In a shared search: whether entry `index` of ply's list is left for the second
    // round, since another thread is searching it (only where `mayDefer`); else this
    // thread claims it.
    inline bool leftForLater(int ply, int index, std::uint32_t claim, bool mayDefer, int& deferred);
    void moveToFront(int index);
    bool checkTime();
    bool depthComplete(int score);
    void windowForNextDepth(int score);
    int alphaBeta(int alpha, int beta, int depth, int ply, int side);
    int quiescence(int alpha, int beta, int ply, int side);
    void rebuildPvText();
    // Moves made so far in this engine move by this thread, exactly (nodeCount lags
    // by up to 200000).
    std::int64_t movesMade() const { return nodeCount + (timeCheckInterval - nodeCountdown); }

private:
    template <int side, bool sharedTree>
    int alphaBetaFor(int alpha, int beta, int depth, int ply);
    template <int side>
    int quiescenceFor(int alpha, int beta, int ply);
    bool probeInterior(int side, int& score);
    void adoptChildLine(int ply, MoveCode move);
    void prefetchChildEntries(int side, int ply, int n);
    bool transpositionCutoff(int side, int depth, int beta, int ply, int n, int& score);
    int depthAdjustment(bool capture, int ply, int alpha, int beta, int material, int pieces);
    bool rootBitbaseScore(int side, int& score);
    int searchRootMove(int alpha, int beta, int depth, int side, bool pvFound);
    bool searchDepth(int depth);
    void setWindow(int low, int high, bool afterFailHigh, bool afterFailLow);
    void setFullWindow() { setWindow(-infiniteScore, infiniteScore, false, false); }
    void reportNewBestMove(int score);
    void report(ProgressKind kind, int score);
    void pumpMessages();
    std::int64_t speedSinceSearchStart(std::int64_t moves) const;

    // Bitbase internals (egtb.cpp).
    Material boardMaterial() const;
    int readDistanceByte(int table) const;
    int resolveByOneMove();
};

// ---------------------------------------------------------------- making moves, inlined
// The sets are worked on in locals and written back once, so that the compiler need
// not assume every store may change another set. Below a quiescence node nothing reads
// the key or the material of the next ply: `keyed` false leaves them out there.
template <int side, bool keyed>
inline void Searcher::makeMoveFor(MoveCode m, SquareSet captured, int ply)
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

    const int from = moveFrom(m);
    const int to = moveTo(m);
    const SquareSet fromBit = 1u << from;
    const SquareSet toBit = 1u << to;
    const bool isKing = ownKings & fromBit;
    const bool endsKing = isKing || (m & promotionFlag);
    // Lift first, then put down: a king whose capture ends where it began stays.
    ownKings &= ~fromBit;
    ownMen &= ~fromBit;
    const SquareSet kingMask = endsKing ? ~0u : 0u;
    ownKings |= toBit & kingMask;
    ownMen |= toBit & ~kingMask;
    if constexpr (keyed) {
        // Key rows: 2 * side for the side's kings, the next one for its men.
        std::uint32_t k = here.positionKey ^ pieceKeys[2 * side + !isKing][from] ^ pieceKeys[2 * side + !endsKing][to];
        int material = -here.materialBalance;
        if (m & promotionFlag) material -= 200; // the mover gained a king for a man
        if (m & captureFlag) {
            const SquareSet kingsTaken = captured & enemyKings;
            const SquareSet menTaken = captured & enemyMen;
            material -= 300 * popCount(kingsTaken) + 100 * popCount(menTaken);
            for (SquareSet x = kingsTaken; x; x &= x - 1) k ^= pieceKeys[2 * (side ^ 1)][__builtin_ctz(x)];
            for (SquareSet x = menTaken; x; x &= x - 1) k ^= pieceKeys[2 * (side ^ 1) + 1][__builtin_ctz(x)];
        }
        PlyState& next = plyState[ply + 1];
        next.materialBalance = material;
        next.positionKey = k ^ blackToMoveKey;
    }
    if (m & captureFlag) {
        enemyKings &= ~captured;
        enemyMen &= ~captured;
    }

    whiteKings = wk;
    whiteMen = wm;
    blackKings = bk;
    blackMen = bm;
    whitePieces = wk | wm;
    blackPieces = bk | bm;
    occupied = whitePieces | blackPieces;
}

inline void Searcher::unmakeMove(int ply)
{
    const PlyState& here = plyState[ply];
    whiteKings = here.savedWhiteKings;
    whiteMen = here.savedWhiteMen;
    blackKings = here.savedBlackKings;
    blackMen = here.savedBlackMen;
    recomputeDerivedSets();
}

inline void Searcher::keyAfterQuietMove(MoveCode m, int side, int ply)
{
    const SquareSet ownKings = side == White ? whiteKings : blackKings;
    const int from = moveFrom(m);
    const int to = moveTo(m);
    const bool isKing = ownKings & (1u << from);
    const bool endsKing = isKing || (m & promotionFlag);
    plyState[ply + 1].positionKey = plyState[ply].positionKey ^ pieceKeys[2 * side + !isKing][from] ^
                                    pieceKeys[2 * side + !endsKing][to] ^ blackToMoveKey;
}

// ---------------------------------------------------------------- the move picker, inlined
inline int Searcher::pickNextMove(int ply)
{
    PlyState& state = plyState[ply];
    const int left = state.movesLeft;
    if (left <= 0) return 0;
    MoveList& list = moveLists[ply];
    const int count = list.count;
    const int i = count - left + 1;
    state.movesLeft = left - 1;
    if (state.sortPending) {
        // Partial selection sort: once only unscored moves remain, list order rules.
        int best = i;
        std::int32_t bestScore = list.scores[i];
        for (int j = i + 1; j <= count; ++j)
            if (list.scores[j] > bestScore) {
                best = j;
                bestScore = list.scores[j];
            }
        if (best != i) {
            const MoveCode move = list.moves[i];
            const SquareSet captured = list.captured[i];
            list.moves[i] = list.moves[best];
            list.captured[i] = list.captured[best];
            list.scores[best] = list.scores[i];
            list.moves[best] = move;
            list.captured[best] = captured;
            list.scores[i] = bestScore;
        }
        if (bestScore <= 0) state.sortPending = 0;
    }
    return i;
}

// ---------------------------------------------------------------- captures, inlined
// Most positions have no capture: that is settled here from the whole sets at once.
template <int side>
inline int Searcher::generateCapturesFor(int ply)
{
    const SquareSet men = side == White ? whiteMen : blackMen;
    const SquareSet enemy = side == White ? blackPieces : whitePieces;
    const FirstJumps jumps = firstJumps(men, enemy, ~occupied);
    if (!(jumps.any() | (side == White ? whiteKings : blackKings))) {
        moveLists[ply].count = 0;
        return 0;
    }
    return searchCaptures<side>(ply, jumps);
}

// The quiet moves of a side counted without listing them. Kings: the empty squares
// each king reaches in each direction, flooded for all kings at once (the rays of two
// kings in one direction never share a square: the nearer king blocks the other).
template <int side>
inline int Searcher::countQuietMovesFor() const
{
    const SquareSet empty = ~occupied;
    const SquareSet men = side == White ? whiteMen : blackMen;
    const SquareSet kings = side == White ? whiteKings : blackKings;
    int n = side == White ? popCount(men & stepDownRight(empty)) + popCount(men & stepDownLeft(empty))
                          : popCount(men & stepUpLeft(empty)) + popCount(men & stepUpRight(empty));
    if (!kings) return n;
    for (SquareSet x = stepUpLeft(kings) & empty; x; x = stepUpLeft(x) & empty) n += popCount(x);
    for (SquareSet x = stepUpRight(kings) & empty; x; x = stepUpRight(x) & empty) n += popCount(x);
    for (SquareSet x = stepDownRight(kings) & empty; x; x = stepDownRight(x) & empty) n += popCount(x);
    for (SquareSet x = stepDownLeft(kings) & empty; x; x = stepDownLeft(x) & empty) n += popCount(x);
    return n;
}

// The number of legal moves, listing only captures that go on beyond one jump (at ply).
template <int side>
inline int Searcher::countLegalMovesFor(int ply)
{
    const SquareSet men = side == White ? whiteMen : blackMen;
    const SquareSet kings = side == White ? whiteKings : blackKings;
    const SquareSet enemy = side == White ? blackPieces : whitePieces;
    const FirstJumps jumps = firstJumps(men, enemy, ~occupied);
    if (!(jumps.any() | kings)) return countQuietMovesFor<side>();
    if (!kings && firstJumpsEndTheMove<side>(jumps, enemy, ~occupied))
        return popCount(jumps.dir[0]) + popCount(jumps.dir[1]) + popCount(jumps.dir[2]) + popCount(jumps.dir[3]);
    const int n = searchCaptures<side>(ply, jumps);
    return n ? n : countQuietMovesFor<side>();
}

// ---------------------------------------------------------------- advanced men, inlined
// Men on the two ranks before their promotion rank: White on 20-27, Black on 4-11.
// Often there are none, and the list is empty without further work.
template <int side>
inline int Searcher::generateAdvancedManMovesFor(int ply)
{
    const SquareSet men = side == White ? whiteMen & 0x0FF00000u : blackMen & 0x00000FF0u;
    if (!men) {
        moveLists[ply].count = 0;
        return 0;
    }
    return storeAdvancedManMoves<side>(ply, men);
}

// ---------------------------------------------------------------- the game's searcher
// The search that runs on the window thread. Its position at ply 0 is the one game
// position: move entry, take-back, setup, files, the book and the windows read and
// change it there, and its searches make and unmake moves on it from ply 1 down,
// leaving it as they found it. The names below are the game layer's way to it.
inline Searcher mainSearcher;

inline SquareSet& whiteMen = mainSearcher.whiteMen;
inline SquareSet& whiteKings = mainSearcher.whiteKings;
inline SquareSet& whitePieces = mainSearcher.whitePieces;
inline SquareSet& blackMen = mainSearcher.blackMen;
inline SquareSet& blackKings = mainSearcher.blackKings;
inline SquareSet& blackPieces = mainSearcher.blackPieces;
inline SquareSet& occupied = mainSearcher.occupied;
inline int& sideToMove = mainSearcher.sideToMove;
inline PlyState (&plyState)[maxPly + 1] = mainSearcher.plyState;
inline MoveList (&moveLists)[moveListPlies] = mainSearcher.moveLists;
inline std::int32_t& nodeCountdown = mainSearcher.nodeCountdown;
inline std::int32_t (&historyTable)[2][1024] = mainSearcher.historyTable;

inline void setPositionFromText(const std::string& text) { mainSearcher.setPositionFromText(text); }
inline std::string positionToText(int side) { return mainSearcher.positionToText(side); }
inline void recomputeDerivedSets() { mainSearcher.recomputeDerivedSets(); }

template <int side>
inline int generateCapturesFor(int ply) { return mainSearcher.generateCapturesFor<side>(ply); }
template <int side>
inline int generateQuietMovesFor(int ply) { return mainSearcher.generateQuietMovesFor<side>(ply); }
template <int side>
inline int generateAdvancedManMovesFor(int ply) { return mainSearcher.generateAdvancedManMovesFor<side>(ply); }
template <int side>
inline int countQuietMovesFor() { return mainSearcher.countQuietMovesFor<side>(); }
template <int side>
inline int countLegalMovesFor(int ply) { return mainSearcher.countLegalMovesFor<side>(ply); }
inline int generateCaptures(int side, int ply) { return mainSearcher.generateCaptures(side, ply); }
inline int generateQuietMoves(int side, int ply) { return mainSearcher.generateQuietMoves(side, ply); }
inline int generateAdvancedManMoves(int side, int ply) { return mainSearcher.generateAdvancedManMoves(side, ply); }
inline int generateLegalMoves(int side, int ply) { return mainSearcher.generateLegalMoves(side, ply); }

template <int side, bool keyed = true>
inline void makeMoveFor(MoveCode m, SquareSet captured, int ply) { mainSearcher.makeMoveFor<side, keyed>(m, captured, ply); }
inline void makeMove(MoveCode m, SquareSet captured, int side, int ply) { mainSearcher.makeMove(m, captured, side, ply); }
inline void unmakeMove(int ply) { mainSearcher.unmakeMove(ply); }
inline void keyAfterQuietMove(MoveCode m, int side, int ply) { mainSearcher.keyAfterQuietMove(m, side, ply); }

inline MoveCode (&killerMoves(int ply))[2] { return mainSearcher.killerMoves(ply); }
inline void clearOrdering() { mainSearcher.clearOrdering(); }
inline void recordCutoff(int side, MoveCode move, int ply, int depth) { mainSearcher.recordCutoff(side, move, ply, depth); }
inline int pickNextMove(int ply) { return mainSearcher.pickNextMove(ply); }

inline std::uint32_t hashPosition(int side) { return mainSearcher.hashPosition(side); }
inline int probeHash(int side, int depth, int ply) { return mainSearcher.probeHash(side, depth, ply); }
inline void storeHash(int side, int depth, int ply, int score, int bound, MoveCode move)
{
    mainSearcher.storeHash(side, depth, ply, score, bound, move);
}

inline int evaluate(int side) { return mainSearcher.evaluate(side); }
inline int materialScore(int side) { return mainSearcher.materialScore(side); }
