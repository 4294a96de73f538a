// pdn check / pdn export: games in PDN read and replayed, and a game file written as PDN.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "cli/command.h"
#include "game/gamefiles.h"
#include "game/pdn.h"

namespace {

// One line per game: its number, the players and result as tagged and the number of
// half-moves, or the reason it was refused.
int runCheck(const std::string& path)
{
    std::string text;
    if (!readFile(path, text)) {
        std::fprintf(stderr, "korvel-cli: cannot read %s\n", path.c_str());
        return 1;
    }
    if (!startEngine()) return 1;
    const std::vector<PdnGame> games = readPdn(text);
    if (games.empty()) {
        std::fprintf(stderr, "korvel-cli: %s: %s\n", path.c_str(), noPdnGameMessage);
        return 1;
    }
    int failed = 0;
    for (std::size_t i = 0; i < games.size(); ++i) {
        const PdnGame& g = games[i];
        if (!g.error.empty()) {
            std::printf("%zu: error: %s\n", i + 1, g.error.c_str());
            ++failed;
            continue;
        }
        std::printf("%zu: White \"%s\" Black \"%s\" Result \"%s\" %zu half-moves\n", i + 1, g.tag("White").c_str(),
                    g.tag("Black").c_str(), g.tag("Result").c_str(), g.moves.size());
    }
    return failed > 0 ? 1 : 0;
}

int runExport(const std::string& path)
{
    std::string bytes;
    if (!readFile(path, bytes)) {
        std::fprintf(stderr, "korvel-cli: cannot read %s\n", path.c_str());
        return 1;
    }
    GameRecord record;
    if (!decodeGameRecord(bytes, record)) {
        std::fprintf(stderr, "korvel-cli: %s is not a game file\n", path.c_str());
        return 1;
    }
    if (!startEngine()) return 1;
    // savedSide was to move at plyNumber when the file was written.
    std::string error;
    const auto game = gameOfRecord(record, firstSideOfRecord(record, record.savedSide), PdnHeader{}, &error);
    if (!game) {
        std::fprintf(stderr, "korvel-cli: %s: %s\n", path.c_str(), error.c_str());
        return 1;
    }
    const std::string text = writePdn(*game);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

int runPdn(const Args& args)
{
    if (args.size() == 2 && args[0] == "check") return runCheck(args[1]);
    if (args.size() == 2 && args[0] == "export") return runExport(args[1]);
    return usageError("pdn");
}

const bool registered = registerCommand({"pdn", runPdn});

} // namespace
