// Endgame bitbases: loading the in-memory table, indexing, probing, the verdict line.
#include "engine/egtb.h"
#include "engine/threads.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

bool bitbaseLoaded = false;
std::vector<std::uint8_t> bitbaseData;
std::uint32_t binomial[33][7];

namespace {

constexpr std::size_t readBlock = 32768;

struct TableLookup {
    std::int8_t id[6][6][6][6];
};

constexpr TableLookup makeLookup()
{
    TableLookup t{};
    for (auto& a : t.id)
        for (auto& b : a)
            for (auto& c : b)
                for (auto& d : c) d = -1;
    for (int i = 0; i < bitbaseTableCount; ++i) {
        const Material& m = bitbaseTables[i].material;
        t.id[m.strongKings][m.strongMen][m.weakKings][m.weakMen] = static_cast<std::int8_t>(i);
    }
    return t;
}

constexpr TableLookup tableLookup = makeLookup();


bool whiteStrongerOrEqual(const Material& m)
{
    return m.weakKings < m.strongKings || (m.weakKings == m.strongKings && m.strongMen >= m.weakMen);
}

// Counts beyond the table (more than six pieces of a kind) never occur in a table.
inline std::uint32_t choose(int n, int k) { return k <= 6 ? binomial[n][k] : 0; }

} // namespace

Material Searcher::boardMaterial() const
{
    return {popCount(whiteKings), popCount(whiteMen), popCount(blackKings), popCount(blackMen)};
}

// The byte of the current board's distance file (White as A), or -1 when the file
// is missing or too short.
int Searcher::readDistanceByte(int table) const
{
    char path[512];
    std::snprintf(path, sizeof path, "%s%s.brg", egtbpath.c_str(), bitbaseTables[table].name);
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return -1;
    // A file of another size is damaged: none of its bytes can be trusted.
    struct stat st {};
    if (::fstat(fileno(file), &st) != 0 || static_cast<std::uint64_t>(st.st_size) != bitbaseTables[table].positions) {
        std::fclose(file);
        return -1;
    }
    int byte = -1;
    if (std::fseek(file, static_cast<long>(BitbaseIndex()), SEEK_SET) == 0) {
        byte = std::fgetc(file);
        if (byte == EOF) byte = -1;
    }
    std::fclose(file);
    return byte;
}

namespace {

int exactResultOf(int byte)
{
    if (byte == 0 || byte == 128) return 0;
    if (byte >= 129 && byte <= 252) return 128 - byte;
    return byte; // 1-127 wins, 255 already won, 253 and 254 as they are
}

} // namespace

// White has just moved and is the weaker side: let the stronger side, now to move,
// pick its best reply from the distance files.
int Searcher::resolveByOneMove()
{
    SwapSides(); // the stronger side is now White and to move
    int n = generateCaptures(White, 2);
    if (n == 0) n = generateQuietMoves(White, 2);
    if (n == 0) {
        SwapSides();
        return 255; // the side that has just moved left no legal move: it has won
    }
    const MoveList& list = moveLists[2];
    // Scale: 1-127 the stronger side wins (smaller is better), 128 draw, 129-252 it
    // loses (larger is better).
    int best = 5000;
    bool unavailable = false;
    for (int i = 1; i <= n; ++i) {
        makeMove(list.moves[i], list.captured[i], White, 2);
        const bool wipedOut = blackPieces == 0;
        int byte = 0;
        if (!wipedOut) {
            const int table = bitbaseTableOf(boardMaterial());
            byte = table < 0 ? -1 : readDistanceByte(table);
        }
        unmakeMove(2);
        // Taking the last piece or leaving no legal move both end the game at once.
        if (wipedOut || byte == 255) {
            SwapSides();
            return -1;
        }
        if (byte < 0) {
            unavailable = true;
            break;
        }
        if (byte == 0) byte = 128;
        if (byte <= 128) {
            if (byte < best) best = byte;
        } else if (best == 5000 || (best > 128 && byte > best)) {
            best = byte;
        }
    }
    SwapSides();
    if (unavailable) return probeUnavailable;
    if (best >= 128) best = 128 - best;
    if (best > 0) return -(best + 1);
    return -best;
}

void buildBinomialTable()
{
    for (int n = 0; n <= 32; ++n)
        for (int k = 0; k <= 6; ++k) binomial[n][k] = bitbase_detail::choose(n, k);
}

namespace {

std::string bitFileName(int pieces) { return "egtb" + std::to_string(std::clamp(pieces, 0, bitbaseMaxPieces)) + ".bit"; }

std::size_t bitFileSize(int pieces)
{
    return std::clamp(pieces, 0, bitbaseMaxPieces) == bitbaseMaxPieces ? bitbaseSizeFivePieces : bitbaseSizeFourPieces;
}

// Whether some 2-bit entry holds the error value 1, which no generator writes.
bool holdsErrorEntries(const std::vector<std::uint8_t>& data)
{
    constexpr std::uint64_t lowBits = 0x5555555555555555ull;
    std::size_t i = 0;
    for (; i + 8 <= data.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data.data() + i, sizeof word);
        if (word & ~(word >> 1) & lowBits) return true;
    }
    for (; i < data.size(); ++i)
        if (data[i] & ~(data[i] >> 1) & 0x55) return true;
    return false;
}

std::string wrongSize(const std::string& name, std::uintmax_t size, std::uintmax_t wanted)
{
    return name + ": " + std::to_string(size) + " байт вместо " + std::to_string(wanted);
}

} // namespace

bool readBitbaseFile(const std::string& folder, int pieces, std::vector<std::uint8_t>& data)
{
    const std::string path = folder + bitFileName(pieces);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    std::vector<std::uint8_t> read;
    try {
        read.assign(bitFileSize(pieces), 0);
    } catch (...) {
        std::fclose(file);
        throw;
    }
    std::size_t filled = 0;
    while (filled < read.size()) {
        const std::size_t want = std::min(readBlock, read.size() - filled);
        const std::size_t got = std::fread(read.data() + filled, 1, want, file);
        if (got == 0) break;
        filled += got;
    }
    // A file shorter or longer than its tables, or one holding error entries, is
    // damaged and not used at all.
    const bool whole = filled == read.size() && std::fgetc(file) == EOF && !std::ferror(file);
    std::fclose(file);
    if (!whole || holdsErrorEntries(read)) return false;
    data.swap(read);
    return true;
}

std::vector<std::string> damagedBitbaseFiles(const std::string& folder, int pieces)
{
    namespace fs = std::filesystem;
    std::vector<std::string> damaged;
    if (pieces < 2) return damaged;
    pieces = std::min(pieces, bitbaseMaxPieces);
    std::error_code ec;
    const std::string bit = bitFileName(pieces);
    const std::uintmax_t bitSize = fs::file_size(folder + bit, ec);
    const bool bitPresent = !ec;
    if (bitPresent && bitSize != bitFileSize(pieces)) {
        damaged.push_back(wrongSize(bit, bitSize, bitFileSize(pieces)));
    } else if (bitPresent) {
        std::vector<std::uint8_t> data;
        if (!readBitbaseFile(folder, pieces, data)) damaged.push_back(bit + ": неверные записи");
    }
    for (const BitbaseTable& t : bitbaseTables) {
        if (t.material.pieces() > pieces) continue;
        const std::string name = std::string(t.name) + ".brg";
        const std::uintmax_t size = fs::file_size(folder + name, ec);
        if (ec) {
            // Beside the verdicts, a missing distance file leaves their wins without a distance.
            if (bitPresent) damaged.push_back(name + ": файла нет");
        } else if (size != t.positions) {
            damaged.push_back(wrongSize(name, size, t.positions));
        }
    }
    return damaged;
}

void installBitbase(std::vector<std::uint8_t>&& data, bool found)
{
    stopHelperThreads();
    buildBinomialTable();
    bitbaseData.swap(data);
    if (!found) std::vector<std::uint8_t>().swap(bitbaseData);
    bitbaseLoaded = found;
}

void LoadBitbase()
{
    stopHelperThreads(); // no helper may probe the table while it is replaced
    bitbaseLoaded = false;
    std::vector<std::uint8_t> data;
    const bool found = readBitbaseFile(egtbpath, EGTBPieses, data);
    installBitbase(std::move(data), found);
}

void Searcher::SwapSides()
{
    const SquareSet wk = whiteKings, wm = whiteMen;
    whiteKings = mirrorSet(blackKings);
    whiteMen = mirrorSet(blackMen);
    blackKings = mirrorSet(wk);
    blackMen = mirrorSet(wm);
    recomputeDerivedSets();
}

int bitbaseTableOf(const Material& m)
{
    const int counts[4] = {m.strongKings, m.strongMen, m.weakKings, m.weakMen};
    for (int c : counts)
        if (c < 0 || c > bitbaseMaxPieces) return -1;
    return tableLookup.id[m.strongKings][m.strongMen][m.weakKings][m.weakMen];
}

std::string Searcher::TableName() const
{
    const int wk = popCount(whiteKings), wm = popCount(whiteMen);
    const int bk = popCount(blackKings), bm = popCount(blackMen);
    const bool whiteFirst = bk < wk || (bk == wk && bm < wm);
    const int first[2] = {whiteFirst ? wk : bk, whiteFirst ? wm : bm};
    const int second[2] = {whiteFirst ? bk : wk, whiteFirst ? bm : wm};
    return std::to_string(first[0]) + "d" + std::to_string(first[1]) + "p_" + std::to_string(second[0]) + "d" +
           std::to_string(second[1]) + "p_ru";
}

std::uint32_t bitbaseIndexOf(SquareSet strongKings, SquareSet strongMen, SquareSet weakKings, SquareSet weakMen)
{
    const SquareSet strong = strongKings | strongMen;
    const int freeSquares = 32 - popCount(strong);
    const std::uint32_t weakKingRank = rankAmongFree(weakKings, strong);
    const std::uint32_t ka = setRank(strongKings);
    const std::uint32_t ma = setRank(strongMen);
    const std::uint32_t mb = setRank(weakMen >> 4); // B's men never stand on 0-3
    const std::uint32_t menA = choose(28, popCount(strongMen));
    const std::uint32_t kingsB = choose(freeSquares, popCount(weakKings));
    const std::uint32_t menB = choose(28, popCount(weakMen));
    return mb + menB * (weakKingRank + kingsB * (ma + menA * ka));
}

std::uint32_t Searcher::BitbaseIndex() const { return bitbaseIndexOf(whiteKings, whiteMen, blackKings, blackMen); }

int Searcher::ProbeBitbase()
{
    ++bitbaseProbeCount;
    const int table = bitbaseTableOf(boardMaterial());
    if (table < 0) return 0;
    const std::uint32_t i = BitbaseIndex();
    const std::size_t byte = bitbaseTables[table].offset + i / 4;
    if (byte >= bitbaseData.size()) return 0;
    switch ((bitbaseData[byte] >> (2 * (i % 4))) & 3) {
    case 1: std::puts("Bitbase error!"); return 0;
    case 2: return 3000;
    case 3: return -3000;
    default: return 0;
    }
}

int Searcher::ProbeExact()
{
    if (blackPieces == 0) return 1;
    const Material m = boardMaterial();
    if (!whiteStrongerOrEqual(m)) return resolveByOneMove();
    const int table = bitbaseTableOf(m);
    const int byte = table < 0 ? -1 : readDistanceByte(table);
    return byte < 0 ? probeUnavailable : exactResultOf(byte);
}

std::string Searcher::EndgameVerdictsText(int side)
{
    std::string text;
    int n = generateCaptures(side, 0);
    if (n == 0) n = generateQuietMoves(side, 0);
    const MoveList& list = moveLists[0];
    for (int i = 1; i <= n; ++i) {
        const MoveCode m = list.moves[i];
        makeMove(m, list.captured[i], side, 0);
        if (side == Black) SwapSides();
        int e = popCount(occupied) < 6 ? ProbeExact() : probeUnavailable;
        unmakeMove(0); // restores the saved sets, which also undoes SwapSides
        if (e == probeUnavailable) continue; // no table for it: no verdict to show
        if (e == 255) e = 1;
        text += squareName[moveFrom(m)];
        text += (m & captureFlag) ? ':' : '-';
        text += squareName[moveTo(m)];
        if (e < 0) text += "?," + std::to_string(-e) + "  ";
        else if (e > 0) text += "!," + std::to_string(e) + "  ";
        else text += "=  ";
    }
    return text;
}

std::optional<std::string> endgameVerdicts(int side)
{
    if (EGTBPieses <= 0 || popCount(occupied) > EGTBPieses) return std::nullopt;
    return EndgameVerdictsText(side);
}
