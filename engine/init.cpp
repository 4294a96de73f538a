// Engine start-up: board tables, initial position, keys, configuration, tables, bitbase.
#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "engine/egtb.h"
#include "engine/engine.h"

std::string configFileName = "korvel.ini";
std::string egtbpath;
std::int32_t EGTBPieses = 0;

namespace {

constexpr std::int32_t defaultHashMask = 0x1FFFFF;
constexpr std::size_t maxConfigLine = 255;
bool squareTablesRaised = false;

struct EngineSettings {
    std::int32_t hashMask = defaultHashMask;
    std::string egtbpath;
    std::int32_t egtbPieces = 0;
};

// Leading blanks and a sign are accepted; anything after the digits is an error.
long toInteger(const std::string& key, const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    std::size_t digits = i;
    if (digits < text.size() && (text[digits] == '+' || text[digits] == '-')) ++digits;
    bool ok = digits < text.size();
    for (std::size_t j = digits; j < text.size(); ++j)
        if (text[j] < '0' || text[j] > '9') ok = false;
    long value = 0;
    if (ok) {
        errno = 0;
        value = std::strtol(text.c_str() + i, nullptr, 10);
        if (errno == ERANGE || value > 2147483647L || value < -2147483647L - 1) ok = false;
    }
    if (!ok) throw ConfigError("\"" + text + "\" is not a valid integer value for " + key + " in " + configFileName);
    return value;
}

std::string normalisedPath(std::string path)
{
    if (path.size() < 2) return {};
    if (path.back() != '/' && path.back() != '\\') path += '/';
    return path;
}

EngineSettings readSettings()
{
    EngineSettings settings;
    std::ifstream file(configFileName);
    if (!file) return settings;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > maxConfigLine) line.resize(maxConfigLine);
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (key == "hashsize" || key == "Hashsize") {
            const long units = toInteger(key, value);
            // Below 1 there would be no table at all; the default serves instead.
            if (units < 1) settings.hashMask = defaultHashMask;
            else if (units > 65535) throw ConfigError("hashsize " + value + " is too large in " + configFileName);
            else settings.hashMask = static_cast<std::int32_t>(units * 32768 - 1);
        } else if (key == "egtbpath" || key == "EGTBpath") {
            settings.egtbpath = value;
        } else if (key == "EGTBPieses" || key == "egtbpieses") {
            const long pieces = toInteger(key, value);
            settings.egtbPieces = static_cast<std::int32_t>(pieces < 0 ? 0 : pieces > 5 ? 5 : pieces);
        }
        settings.egtbpath = normalisedPath(settings.egtbpath);
    }
    return settings;
}

} // namespace

void initEngine()
{
    // Read the configuration before anything changes, so that a malformed file
    // leaves the engine as it was.
    const EngineSettings settings = readSettings();
    buildBoardTables();
    buildEvaluationTables();
    setPositionFromText(initialPositionText);
    buildKeys();
    searchAge = 1;
    buildHistoryBonus();
    hashMask = settings.hashMask;
    egtbpath = settings.egtbpath;
    EGTBPieses = settings.egtbPieces;
    allocateHashTables();
    clearHash();
    LoadBitbase();
}

void checkConfiguration() { (void)readSettings(); }

void finishStartup()
{
    fillNeighbourSquares();
    if (squareTablesRaised) return;
    squareTablesRaised = true;
    for (int& v : manSquareTable) v += 100;
    for (int& v : kingSquareTable) v += 300;
    buildEvaluationTables();
}
