// book build / book dump: the opening library from readable lines and back.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/command.h"
#include "cli/tools/bookbuild.h"
#include "game/filewriting.h"

namespace {

int runBuild(const std::string& source, const std::string& target)
{
    std::string text;
    if (!readFile(source, text)) {
        std::fprintf(stderr, "korvel-cli: cannot read %s\n", source.c_str());
        return 1;
    }
    if (!startEngine()) return 1;
    const BookBuildResult result = buildLibraryRecords(text, source);
    if (!result.ok) {
        std::fprintf(stderr, "korvel-cli: %s\n", result.error.c_str());
        return 1;
    }
    // Never half a library: written whole or not at all.
    if (!writeFileWhole(target, encodeBuiltLibrary(result.records))) {
        std::fprintf(stderr, "korvel-cli: cannot write %s\n", target.c_str());
        return 1;
    }
    std::printf("%zu records\n", result.records.size());
    return 0;
}

void setBeforePosition(const BuiltRecord& r)
{
    whiteMen = r.beforeWhiteMen;
    blackMen = r.beforeBlackMen;
    whiteKings = r.beforeWhiteKings;
    blackKings = r.beforeBlackKings;
    recomputeDerivedSets();
}

// The side and legal move that turn the record's first position (on the board) into
// its second.
std::string recordMoveText(const BuiltRecord& r)
{
    // The side to move is not stored: try both.
    for (int s : {White, Black}) {
        const int n = generateLegalMoves(s, 0);
        for (int i = 1; i <= n; ++i) {
            makeMove(moveLists[0].moves[i], moveLists[0].captured[i], s, 0);
            const bool same = whiteMen == r.afterWhiteMen && blackMen == r.afterBlackMen &&
                              whiteKings == r.afterWhiteKings && blackKings == r.afterBlackKings;
            unmakeMove(0);
            if (same) return std::string(s == White ? "white " : "black ") + moveText(moveLists[0].moves[i]);
        }
    }
    return "no legal move";
}

int runDump(const std::string& path)
{
    std::string bytes;
    std::vector<BuiltRecord> records;
    if (!readFile(path, bytes)) {
        std::fprintf(stderr, "korvel-cli: cannot read %s\n", path.c_str());
        return 1;
    }
    if (!decodeBuiltLibrary(bytes, records)) {
        std::fprintf(stderr, "korvel-cli: %s is not a whole number of 36-byte records\n", path.c_str());
        return 1;
    }
    if (!startEngine()) return 1;
    for (std::size_t k = 0; k < records.size(); ++k) {
        const BuiltRecord& r = records[k];
        setBeforePosition(r);
        const std::string before = positionToText(White).substr(0, 32);
        std::printf("%zu %s %s %d%c\n", k + 1, before.c_str(), recordMoveText(r).c_str(), r.weight, markOfWeight(r.weight));
    }
    return 0;
}

int runBook(const Args& args)
{
    if (args.size() == 3 && args[0] == "build") return runBuild(args[1], args[2]);
    if (args.size() == 2 && args[0] == "dump") return runDump(args[1]);
    return usageError("book");
}

const bool registered = registerCommand({"book", runBook});

} // namespace
