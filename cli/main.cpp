// korvel-cli: the headless tool through which benchmarks and cross-checks drive the engine.
#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <exception>
#include <fstream>
#include <sstream>

#include "cli/command.h"
#include "engine/engine.h"

namespace {
std::vector<CliCommand>& commands()
{
    static std::vector<CliCommand> list;
    return list;
}

void printUsage()
{
    auto list = commands();
    std::sort(list.begin(), list.end(), [](const CliCommand& a, const CliCommand& b) {
        return std::string(a.name) < std::string(b.name);
    });
    std::fprintf(stderr, "usage: korvel-cli COMMAND ARGS\n");
    for (const auto& c : list) std::fprintf(stderr, "  korvel-cli %s %s\n", c.name, c.usage);
}
} // namespace

bool registerCommand(const CliCommand& command)
{
    commands().push_back(command);
    return true;
}

int usageError(const char* name)
{
    for (const auto& c : commands())
        if (std::string(c.name) == name) {
            std::fprintf(stderr, "usage: korvel-cli %s %s\n", c.name, c.usage);
            return 2;
        }
    printUsage();
    return 2;
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

bool isPositionText(const std::string& text) { return text.size() == 34 && text[32] == ' '; }

int main(int argc, char** argv)
{
    if (argc < 2) {
        printUsage();
        return 2;
    }
    const std::string name = argv[1];
    for (const auto& c : commands())
        if (name == c.name) return c.run(Args(argv + 2, argv + argc));
    printUsage();
    return 2;
}
