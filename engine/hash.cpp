// Zobrist keys and the two transposition tables, one per side to move, shared by every
// search thread.
#include <sys/mman.h>

#include <chrono>
#include <cstring>
#include <string>

#include "engine/engine.h"
#include "engine/threads.h"

std::uint32_t pieceKeys[4][32];
std::uint32_t blackToMoveKey;
HashEntry* hashTables[2] = {nullptr, nullptr};
std::int32_t hashMask = 0x1FFFFF;
std::int32_t searchAge = 1;

namespace {
HashTableBlock tableStorage;
// Set by every store, so that clearing tables that are still empty costs nothing:
// fresh memory from the system is zero, and a program that has just started need
// not write over every page of its tables. Stores of all threads set it.
std::atomic<bool> tablesUsed{false};
std::uint32_t randomState = 1;

// Anonymous pages read as zero until written, and only written pages take memory.
// Huge pages, where the system grants them, spare the probes most of their address
// translation misses: a probe lands anywhere in the tables.
void* mappedMemory(std::size_t bytes)
{
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    madvise(p, bytes, MADV_HUGEPAGE);
    return p;
}
} // namespace

void* (*hashTableMemory)(std::size_t bytes) = mappedMemory;

void HashTableBlock::Release::operator()(HashEntry* p) const { munmap(p, bytes); }

// A linear congruential generator: uniform enough for keys and the library choice,
// and repeatable from a seed in tests.
void seedRandom(std::uint32_t seed) { randomState = seed; }

void seedRandomFromClock()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    seedRandom(static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
}

std::uint32_t randomBelow(std::uint32_t bound)
{
    randomState = randomState * 134775813u + 1u;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(randomState) * bound) >> 32);
}

std::uint32_t randomKey()
{
    const std::uint32_t high = randomBelow(65536);
    const std::uint32_t low = randomBelow(65536);
    return (high << 16) | low;
}

void buildKeys()
{
    // A key is drawn again while it repeats a key of a lower square in its own array
    // or in an array that comes before it.
    for (int s = 0; s < 32; ++s)
        for (int kind = 0; kind < 4; ++kind) {
            for (;;) {
                const std::uint32_t key = randomKey();
                bool repeated = false;
                for (int earlier = 0; earlier <= kind && !repeated; ++earlier)
                    for (int t = 0; t < s; ++t)
                        if (pieceKeys[earlier][t] == key) {
                            repeated = true;
                            break;
                        }
                if (!repeated) {
                    pieceKeys[kind][s] = key;
                    break;
                }
            }
        }
    blackToMoveKey = randomKey();
}

std::uint32_t Searcher::hashPosition(int side) const
{
    std::uint32_t k = 0;
    for (SquareSet x = whitePieces; x; x &= x - 1) {
        const int s = lowestBit(x);
        k ^= (whiteKings & squareBit[s]) ? pieceKeys[0][s] : pieceKeys[1][s];
    }
    for (SquareSet x = blackPieces; x; x &= x - 1) {
        const int s = lowestBit(x);
        k ^= (blackKings & squareBit[s]) ? pieceKeys[2][s] : pieceKeys[3][s];
    }
    if (side == Black) k ^= blackToMoveKey;
    return k;
}

HashTableBlock newHashTables(std::int32_t mask)
{
    const std::size_t perTable = static_cast<std::size_t>(mask) + 1;
    HashTableBlock block;
    if (tableStorage.entries && tableStorage.perTable == perTable) return block;
    const std::size_t bytes = 2 * perTable * sizeof(HashEntry);
    block.entries = {static_cast<HashEntry*>(hashTableMemory(bytes)), HashTableBlock::Release{bytes}};
    if (!block.entries)
        throw TableMemoryError("Недостаточно памяти для хеш-таблиц: " + std::to_string(perTable / 32768) +
                               " МБ (hashsize)");
    block.perTable = perTable;
    return block;
}

void installHashTables(HashTableBlock&& block, std::int32_t mask)
{
    stopHelperThreads(); // no helper may probe tables that are being replaced
    if (block.entries) {
        tableStorage = std::move(block);
        tablesUsed.store(false, std::memory_order_relaxed);
    } else {
        clearHash();
    }
    hashMask = mask;
    hashTables[White] = tableStorage.entries.get();
    hashTables[Black] = tableStorage.entries.get() + tableStorage.perTable;
}

void touchHashTables()
{
    stopHelperThreads();
    const std::size_t bytes = 2 * tableStorage.perTable * sizeof(HashEntry);
    auto* first = reinterpret_cast<volatile unsigned char*>(tableStorage.entries.get());
    for (std::size_t at = 0; at < bytes; at += 4096) first[at] = first[at];
}

void clearHash()
{
    stopHelperThreads();
    if (!tablesUsed.load(std::memory_order_relaxed) || !tableStorage.entries) return;
    std::memset(static_cast<void*>(tableStorage.entries.get()), 0, 2 * tableStorage.perTable * sizeof(HashEntry));
    tablesUsed.store(false, std::memory_order_relaxed);
}

int Searcher::probeHash(int side, int depth, int ply)
{
    PlyState& state = plyState[ply];
    const HashEntry::Fields e = hashTables[side][state.positionKey & static_cast<std::uint32_t>(hashMask)].read();
    if (e.key != state.positionKey) return 0;
    state.hashMove = e.move;
    if (static_cast<int>(e.info & 0xFF) >= depth) {
        state.hashBound = static_cast<int>((e.info >> 8) & 0xFF);
        return scoreFromTable(e.score, ply);
    }
    return 0;
}

HashPeek peekHash(std::uint32_t key, int side)
{
    const HashEntry::Fields e = hashTables[side][key & static_cast<std::uint32_t>(hashMask)].read();
    if (e.key != key) return {0, 0, 0};
    return {static_cast<int>((e.info >> 8) & 0xFF), static_cast<int>(e.info & 0xFF), e.score};
}

void Searcher::storeHash(int side, int depth, int ply, int score, int bound, MoveCode move)
{
    const std::uint32_t key = plyState[ply].positionKey;
    HashEntry& e = hashTables[side][key & static_cast<std::uint32_t>(hashMask)];
    // A deeper entry of this engine move is kept, whatever position it holds.
    const std::uint32_t info = e.info();
    if (depth < static_cast<int>(info & 0xFF) && static_cast<int>((info >> 16) & 0x7F) == searchAge) return;
    // Only the first store after a clear writes the flag: threads storing at once do not
    // pass its cache line back and forth.
    if (!tablesUsed.load(std::memory_order_relaxed)) tablesUsed.store(true, std::memory_order_relaxed);
    e.write(key, scoreToTable(score, ply), move,
            static_cast<std::uint32_t>(searchAge) * 65536u + static_cast<std::uint32_t>(bound) * 256u +
                static_cast<std::uint32_t>(depth & 0xFF));
}
