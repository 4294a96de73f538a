// korvel-cli's help: one table of every command's usage, from which `korvel-cli
// --help`, `korvel-cli help COMMAND` and the one-line usage of a wrong call are
// printed. A new command or option is one row or one change here; the manual page
// korvel-cli(6) lists the same commands.
#include <cstdio>
#include <iterator>
#include <string>

#include "cli/command.h"

namespace {

struct CommandHelp {
    const char* command;
    const char* arguments; // a command's rows are its alternatives (egtb build | verify ...)
    const char* explanation; // lines of at most 74 characters: 80 columns with the indent
    const char* example;
};

constexpr CommandHelp helpTable[] = {
    {"moves", "POSITION",
     "Lists the legal moves of the side to move, one a line: the move, the\n"
     "captured squares (- for none) and the move word.",
     "korvel-cli moves 'wwwwwwwwwwww00000000bbbbbbbbbbbb w'"},
    {"perft", "POSITION DEPTH",
     "Counts the positions DEPTH half-moves ahead, for every depth from 1 to\n"
     "DEPTH (1 to 63), with the time each count took.",
     "korvel-cli perft 'wwwwwwwwwwww00000000bbbbbbbbbbbb w' 7"},
    {"divide", "POSITION DEPTH",
     "perft split by the first move: one count per legal move, then the total.",
     "korvel-cli divide 'W:Wa1,c1,e1:Bb8,d8,f8' 4"},
    {"eval", "POSITION",
     "The static evaluation for the side to move, in the engine's units (a man\n"
     "is about 100).",
     "korvel-cli eval 'W:Wc3,e3:Bd6'"},
    {"search", "POSITION [--time CENTISECONDS | --depth D] [--level N] [--threads N]",
     "Searches as the program does on its turn and prints a line per completed\n"
     "depth (depth, score, nodes, milliseconds, variation), then the best move.\n"
     "--time: the time budget in hundredths of a second, 0 to 2000000000\n"
     "(default 200); --depth: search to depth D (7 to 63) without a time limit;\n"
     "--level: the strength level, 1 (a beginner) to 8 (full strength, default);\n"
     "--threads: the threads that search, 1 (default: repeatable output) to the\n"
     "machine's logical processors.",
     "korvel-cli search 'wwwwwwwwwwww00000000bbbbbbbbbbbb w' --depth 11"},
    {"bench", "[--threads N]",
     "Searches 13 fixed positions to fixed depths and prints each one's node\n"
     "count, then the total (on one thread, the default: the search's\n"
     "signature) and the nodes per second. --threads: as for search.",
     "korvel-cli bench"},
    {"egtb", "build DIR [--pieces N] [--jobs N]",
     "Makes the endgame tables of 2 to N pieces (N from 2 to 5, default 5) in\n"
     "the folder DIR, with --jobs tables at a time (1 to 64, default: the\n"
     "number of cores).\n"
     "The five-piece tables take about 110 MB.",
     "korvel-cli egtb build ~/.local/share/korvel/egtb"},
    {"egtb", "verify DIR",
     "Reads every table in DIR and checks each position's value and distance\n"
     "against those of the positions its moves lead to; prints ok, or the\n"
     "first faults found and ends with status 1.",
     "korvel-cli egtb verify ~/.local/share/korvel/egtb"},
    {"egtb", "check DIR",
     "Checks by their sizes alone that every file of the five-piece tables is\n"
     "in DIR; prints ok, or each missing or wrongly sized file and ends with\n"
     "status 1.",
     "korvel-cli egtb check ~/.local/share/korvel/egtb"},
    {"egtb", "probe DIR POSITION",
     "Looks a position of 2 to 5 pieces up in the tables of DIR: the table, the\n"
     "index, the win/loss/draw table's verdict and the moves to the result.",
     "korvel-cli egtb probe ~/.local/share/korvel/egtb 'W:WKc3:Bf6,h8'"},
    {"book", "build LINES.txt OUT.deb",
     "Builds an opening library from readable lines: one variation a line, each\n"
     "move followed by its mark (! best, + good, - dubious, ? bad).",
     "korvel-cli book build data/openings.txt MyBase.deb"},
    {"book", "dump FILE.deb",
     "Lists an opening library, one record a line: its number, the position,\n"
     "the side and move, the weight and its mark.",
     "korvel-cli book dump /usr/share/korvel/MyBase.deb"},
    {"pdn", "check FILE.pdn",
     "Reads and replays every game of a PDN file: one line per game with its\n"
     "players, result and half-moves, or the first move that is wrong.",
     "korvel-cli pdn check games.pdn"},
    {"pdn", "export FILE.gam",
     "Writes a game file of the program (.gam) as PDN on standard output.",
     "korvel-cli pdn export partie.gam > partie.pdn"},
    {"analyse", "GAME.pdn [--time CENTISECONDS] [--depth D] [--game N] [--threads N]",
     "Searches every position of a game and writes it back as PDN with each\n"
     "half-move's score in men from White's view and the marks ?! ? ?? with the\n"
     "better move on the mistakes; progress goes to standard error.\n"
     "--time: hundredths of a second a position (1 to 2000000000, default 100);\n"
     "--depth: 7 to 63 (alone: no time limit); --game: the game of the file\n"
     "(default 1); --threads: as for search.",
     "korvel-cli analyse partie.pdn --time 100 > analysed.pdn"},
    {"match",
     "[--ballots N] [--first K] [--time CS | --depth D] [--level N] [--level-a N] [--level-b N] "
     "[--time-a CS] [--time-b CS] [--depth-a D] [--depth-b D] [--threads N] [--threads-a N] [--threads-b N] "
     "[--plies N] [--pdn FILE] [--ballot-file PATH]",
     "Plays engine A against engine B from the standard opening ballots, each\n"
     "ballot twice with the colours exchanged, and prints every game and the\n"
     "score with the Elo difference and its 95 % interval.\n"
     "--ballots: how many (default 150), from ballot --first (default 1);\n"
     "--time: hundredths of a second a move (default 10); --depth: 1 to 63, no\n"
     "time limit; --level: 1 to 8 (default 8); --threads: as for search\n"
     "(default 1); -a or -b after an option sets it for one side only;\n"
     "--plies: the half-moves after which a game is drawn (default 300);\n"
     "--pdn: the games are written there; --ballot-file: the ballots\n"
     "(default ballots.txt, as installed).",
     "korvel-cli match --ballots 10 --level-a 8 --level-b 5"},
    {"puzzles", "make [--games N] [--first K] [--time CS] [--depth D] [--out FILE] [--ballot-file PATH] [FILE.pdn ...]",
     "Finds combinations in engine games from the ballots, game K onwards\n"
     "(default 1; ballot K modulo 150, the players' levels 2 to 7 drawn from the\n"
     "game's number), or in the games of the PDN files given, and appends each\n"
     "new one to FILE (default puzzles.txt) at once, with a progress line per\n"
     "game on standard error. --games: how many (1 to 1000000, default 100);\n"
     "--time: hundredths of a second a move (1 to 1000000, default 2);\n"
     "--depth: the deep check's depth (4 to 30, default 14).",
     "korvel-cli puzzles make --games 50 --first 101 --out puzzles.txt"},
    {"puzzles", "check FILE [--depth D]",
     "Checks every puzzle of FILE at depth D (4 to 30, default 14): the position\n"
     "and the line are legal, the first move alone wins, the line holds a\n"
     "sacrifice and ends quiet with the gain it claims. Names the line of each\n"
     "failure and ends with status 1 when there is one.",
     "korvel-cli puzzles check /usr/share/korvel/puzzles.txt"},
    {"help", "[COMMAND]",
     "This text, or that of one command.",
     "korvel-cli help search"},
};

constexpr const char* positionHelp =
    "POSITION is a position in one of two forms:\n"
    "  - the 34-character text: the 32 dark squares row by row from White's side\n"
    "    (a1 c1 e1 g1, b2 d2 f2 h2, ... b8 d8 f8 h8), each w (white man), W (white\n"
    "    king), b (black man), B (black king) or 0 (empty), then a blank and the\n"
    "    side to move, w or b; the initial position is\n"
    "    'wwwwwwwwwwww00000000bbbbbbbbbbbb w';\n"
    "  - a FEN: the side to move (W or B), then after a colon each colour with its\n"
    "    squares, K before a king: 'W:Wa1,c1,Kg3:Bb8,h8'.\n"
    "Quote it: the text holds a blank.\n";

constexpr const char* closingHelp =
    "korvel-cli reads korvel.ini from the working folder when there is one.\n"
    "Exit status: 0 done, 1 failed (a file that cannot be read or is refused,\n"
    "a bad korvel.ini, a check that found a fault), 2 wrong arguments.\n";

bool hasRows(const std::string& name)
{
    for (const CommandHelp& row : helpTable)
        if (name == row.command) return true;
    return false;
}

// The usage line, broken before an option group where it would pass 80 columns.
void printUsageOf(const CommandHelp& row)
{
    const std::string indent = "      ";
    std::string line = std::string("  korvel-cli ") + row.command;
    const std::string arguments = row.arguments;
    for (std::size_t at = 0; at < arguments.size();) {
        std::size_t end = arguments.find(" [", at);
        if (end == std::string::npos) end = arguments.size();
        const std::string group = arguments.substr(at, end - at);
        if (line.size() + 1 + group.size() > 80 && line != indent) {
            std::printf("%s\n", line.c_str());
            line = indent;
        }
        if (line != indent) line += ' ';
        line += group;
        at = end == arguments.size() ? end : end + 1;
    }
    std::printf("%s\n", line.c_str());
}

void printRow(const CommandHelp& row)
{
    printUsageOf(row);
    const std::string text = row.explanation;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::printf("      %s\n", text.substr(at, end - at).c_str());
        at = end + 1;
    }
    std::printf("      e.g. %s\n", row.example);
}

// "usage: korvel-cli NAME ARGUMENTS", a command's rows joined by " | ".
std::string usageLine(const std::string& name)
{
    std::string line = "usage: korvel-cli " + name;
    const char* separator = " ";
    for (const CommandHelp& row : helpTable) {
        if (name != row.command) continue;
        if (*row.arguments) line.append(separator).append(row.arguments);
        separator = " | ";
    }
    return line;
}

} // namespace

int usageError(const char* name)
{
    if (hasRows(name)) {
        std::fprintf(stderr, "%s\n", usageLine(name).c_str());
        return wrongArguments;
    }
    std::fprintf(stderr, "usage: korvel-cli COMMAND ARGUMENTS\n");
    for (std::size_t i = 0; i < std::size(helpTable); ++i)
        if (i == 0 || std::string(helpTable[i].command) != helpTable[i - 1].command)
            std::fprintf(stderr, "  %s\n", usageLine(helpTable[i].command).substr(7).c_str()); // without "usage: "
    std::fprintf(stderr, "korvel-cli --help tells what the arguments are, with examples\n");
    return wrongArguments;
}

bool printHelp(const std::string& name)
{
    if (!name.empty() && !hasRows(name)) return false;
    if (name.empty()) {
        std::printf("usage: korvel-cli COMMAND ARGUMENTS\n"
                    "The Russian draughts engine of Korvel without its windows: move generation,\n"
                    "search, endgame tables, opening library, PDN files, analysis and matches.\n\n"
                    "%s\nCommands:\n",
                    positionHelp);
    }
    bool needsPosition = false;
    for (const CommandHelp& row : helpTable) {
        if (!name.empty() && name != row.command) continue;
        printRow(row);
        needsPosition = needsPosition || std::string(row.arguments).find("POSITION") != std::string::npos;
    }
    if (name.empty()) std::printf("\n%s", closingHelp);
    else if (needsPosition) std::printf("\n%s", positionHelp);
    return true;
}
