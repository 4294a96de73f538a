#include "cli/tools/bookbuild.h"

#include <sstream>

int markWeight(char mark)
{
    switch (mark) {
    case '!': return 100;
    case '+': return 10;
    case '-': return -10;
    case '?': return -100;
    default: return 0;
    }
}

char markOfWeight(int weight)
{
    switch (weight) {
    case 100: return '!';
    case 10: return '+';
    case -10: return '-';
    case -100: return '?';
    default: return ' ';
    }
}

namespace {

BuiltRecord recordOf(const SquareSet before[4], int weight)
{
    return {before[0], before[1], before[2], before[3], whiteMen, blackMen, whiteKings, blackKings, weight};
}

bool samePositions(const BuiltRecord& a, const BuiltRecord& b)
{
    BuiltRecord x = a;
    x.weight = b.weight;
    return x == b;
}

// Plays one written move ("c3-d4!") for the side to move; returns an error text.
std::string playWritten(const std::string& token, int& side, std::vector<BuiltRecord>& records,
                        std::vector<std::string>& origins, const std::string& where)
{
    if (token.size() != 6 || markWeight(token[5]) == 0)
        return "\"" + token + "\" is not a move with a mark (!, +, - or ?)";
    const int from = squareFromName(token.substr(0, 2));
    const int to = squareFromName(token.substr(3, 2));
    const bool capture = token[2] == ':';
    if (from < 0 || to < 0 || (token[2] != '-' && token[2] != ':')) return "\"" + token + "\" is not a move";
    const int n = generateLegalMoves(side, 0);
    const MoveList& list = moveLists[0];
    int chosen = 0;
    for (int i = 1; i <= n; ++i) {
        const MoveCode m = list.moves[i];
        if (moveFrom(m) != from || moveTo(m) != to || bool(m & captureFlag) != capture) continue;
        if (chosen && list.captured[chosen] != list.captured[i])
            return "\"" + token.substr(0, 5) + "\" is ambiguous: it takes " + squareSetText(list.captured[chosen]) +
                   " or " + squareSetText(list.captured[i]);
        if (!chosen) chosen = i;
    }
    if (!chosen) return "illegal move \"" + token.substr(0, 5) + "\"";
    const SquareSet before[4] = {whiteMen, blackMen, whiteKings, blackKings};
    makeMove(list.moves[chosen], list.captured[chosen], side, 0);
    side ^= 1;
    const BuiltRecord record = recordOf(before, markWeight(token[5]));
    for (std::size_t k = 0; k < records.size(); ++k)
        if (samePositions(records[k], record)) {
            if (records[k].weight != record.weight)
                return "\"" + token + "\" is marked differently in " + origins[k];
            return {};
        }
    records.push_back(record);
    origins.push_back(where);
    return {};
}

} // namespace

BookBuildResult buildLibraryRecords(const std::string& text, const std::string& sourceName)
{
    BookBuildResult result;
    std::vector<std::string> origins;
    std::istringstream in(text);
    std::string line;
    for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
        if (const auto hash = line.find('#'); hash != std::string::npos) line.resize(hash);
        std::istringstream words(line);
        setPositionFromText(initialPositionText);
        int side = White;
        int moveNumber = 0;
        for (std::string token; words >> token;) {
            ++moveNumber;
            const std::string where = sourceName + ":" + std::to_string(lineNumber);
            const std::string error = playWritten(token, side, result.records, origins, where);
            if (!error.empty()) {
                result.error = where + ": half-move " + std::to_string(moveNumber) + ": " + error;
                result.records.clear();
                setPositionFromText(initialPositionText);
                return result;
            }
        }
    }
    setPositionFromText(initialPositionText);
    result.ok = true;
    return result;
}

namespace {
void put32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
std::uint32_t get32(const std::string& in, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
    return v;
}
} // namespace

std::string encodeBuiltLibrary(const std::vector<BuiltRecord>& records)
{
    std::string out;
    for (const BuiltRecord& r : records) {
        for (SquareSet s : {r.beforeWhiteMen, r.beforeBlackMen, r.beforeWhiteKings, r.beforeBlackKings, r.afterWhiteMen,
                            r.afterBlackMen, r.afterWhiteKings, r.afterBlackKings})
            put32(out, s);
        put32(out, static_cast<std::uint32_t>(r.weight));
    }
    return out;
}

bool decodeBuiltLibrary(const std::string& bytes, std::vector<BuiltRecord>& records)
{
    records.clear();
    if (bytes.size() % builtRecordSize != 0) return false;
    for (std::size_t at = 0; at < bytes.size(); at += builtRecordSize) {
        BuiltRecord r;
        SquareSet* fields[8] = {&r.beforeWhiteMen, &r.beforeBlackMen, &r.beforeWhiteKings, &r.beforeBlackKings,
                                &r.afterWhiteMen, &r.afterBlackMen, &r.afterWhiteKings, &r.afterBlackKings};
        for (int f = 0; f < 8; ++f) *fields[f] = get32(bytes, at + 4 * f);
        r.weight = static_cast<std::int32_t>(get32(bytes, at + 32));
        records.push_back(r);
    }
    return true;
}
