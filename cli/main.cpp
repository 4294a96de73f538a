// korvel-cli: the headless tool through which benchmarks and cross-checks drive the engine.
#include <cstdlib>
#include <cstdio>
#include <exception>
#include <fstream>
#include <sstream>

#include "cli/command.h"
#include "engine/engine.h"
#include "game/fen.h"

namespace {
std::vector<CliCommand>& commands()
{
    static std::vector<CliCommand> list;
    return list;
}
} // namespace

bool registerCommand(const CliCommand& command)
{
    commands().push_back(command);
    return true;
}

bool startEngine()
{
    try {
        initEngine();
        finishStartup();
        return true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "korvel-cli: %s\n", e.what());
        return false;
    }
}

bool readFile(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    bytes = s.str();
    return !in.bad();
}

bool parseWholeNumber(const std::string& text, long low, long high, long& value)
{
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && value >= low && value <= high;
}

NumberArgument threadsArgument() { return {"threads", "the number of threads", 1, logicalProcessors(), "on this machine"}; }

bool readNumber(const NumberArgument& argument, const std::string& text, long& value)
{
    if (parseWholeNumber(text, argument.low, argument.high, value)) return true;
    char* end = nullptr;
    std::strtol(text.c_str(), &end, 10);
    const bool number = !text.empty() && *end == '\0';
    std::fprintf(stderr, "korvel-cli: %s %s is %s: %s runs from %ld to %ld%s%s\n", argument.name, text.c_str(),
                 number ? "out of range" : "not a whole number", argument.noun, argument.low, argument.high,
                 *argument.unit ? " " : "", argument.unit);
    return false;
}

bool isPositionText(const std::string& text) { return text.size() == 34 && text[32] == ' '; }

bool readPosition(const std::string& text, std::string& position)
{
    if (isPositionText(text)) {
        position = text;
        return true;
    }
    buildBoardTables(); // the square names the reader looks up
    if (const std::optional<BoardPosition> fen = parseFen(text)) {
        std::string board(32, '0');
        for (int s = 0; s < 32; ++s) {
            const SquareSet bit = SquareSet{1} << s;
            if (fen->whiteMen & bit) board[s] = 'w';
            else if (fen->whiteKings & bit) board[s] = 'W';
            else if (fen->blackMen & bit) board[s] = 'b';
            else if (fen->blackKings & bit) board[s] = 'B';
        }
        position = board + (fen->side == Black ? " b" : " w");
        return true;
    }
    std::fprintf(stderr,
                 "korvel-cli: \"%s\" is not a position: give the 34-character text, as "
                 "\"%s\", or a FEN, as \"W:Wa1,c1,Kg3:Bb8,h8\" (korvel-cli --help tells more)\n",
                 text.c_str(), initialPositionText);
    return false;
}

// help COMMAND (or --help) prints to standard output and succeeds; a call without a
// command, or with one that does not exist, is a wrong call.
int runHelp(const Args& args)
{
    if (args.size() > 1) return usageError("help");
    const std::string name = args.empty() ? std::string() : args[0];
    if (printHelp(name)) return 0;
    std::fprintf(stderr, "korvel-cli: no command \"%s\"; korvel-cli --help lists the commands\n", name.c_str());
    return wrongArguments;
}

int main(int argc, char** argv)
{
    if (argc < 2) return usageError("");
    const std::string name = argv[1];
    const Args args(argv + 2, argv + argc);
    if (name == "help" || name == "--help" || name == "-h") return runHelp(args);
    for (const auto& c : commands())
        if (name == c.name) return c.run(args);
    std::fprintf(stderr, "korvel-cli: no command \"%s\"; korvel-cli --help lists the commands\n", name.c_str());
    return wrongArguments;
}
