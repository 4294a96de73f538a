// Engine start-up: board tables, initial position, keys, configuration, tables, bitbase.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sstream>
#include <thread>

#include "engine/egtb.h"
#include "engine/engine.h"
#include "engine/threads.h"

std::string configFileName = "korvel.ini";
std::string egtbpath;
std::int32_t EGTBPieses = 0;
std::int32_t configuredThreads = 1;

int logicalProcessors()
{
    const unsigned count = std::thread::hardware_concurrency();
    return std::clamp(static_cast<int>(count), 1, maxSearchThreads);
}

namespace {

constexpr std::int32_t defaultHashMask = 0x1FFFFF;
constexpr std::size_t maxConfigLine = 255;
constexpr long entriesPerUnit = 32768;
constexpr long mostUnits = 65535; // the entry count must stay within hashMask's 32 bits
constexpr long maxTablePieces = 5;
bool squareTablesRaised = false;

struct EngineSettings {
    std::int32_t hashMask = defaultHashMask;
    std::string egtbpath;
    std::int32_t egtbPieces = 0;
    std::int32_t threads = logicalProcessors();
};

[[noreturn]] void refuse(const std::string& text, const std::string& why, const std::string& key)
{
    throw ConfigError("Ошибка в " + configFileName + ": \"" + text + "\" — " + why + " (" + key + ")");
}

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
    if (!ok) refuse(text, "не целое число", key);
    return value;
}

// One unit is 32768 entries in each of two tables of 16-byte entries: 1 MiB.
long largestHashSize()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return mostUnits;
    const long halfOfMemory = static_cast<long>(static_cast<unsigned long long>(pages) * pageSize / 2 / (1 << 20));
    return std::clamp(halfOfMemory, 1L, mostUnits);
}

// A whole number within its range; the range is named when the value is outside it,
// with `aboveNote` when it lies above.
long integerWithin(const std::string& key, const std::string& text, long low, long high,
                   const std::string& aboveNote = {})
{
    const long value = toInteger(key, text);
    if (value < low || value > high)
        refuse(text, "вне пределов от " + std::to_string(low) + " до " + std::to_string(high) + (value > high ? aboveNote : ""),
               key);
    return value;
}

std::int32_t hashMaskFor(const std::string& key, const std::string& text)
{
    // Below 1 there would be no table at all; above the largest value the tables
    // would not fit in memory.
    const long largest = largestHashSize();
    const std::string memoryNote = largest < mostUnits ? ": наибольшее допустимое значение " + std::to_string(largest) +
                                                             ", больше таблицам не хватит памяти"
                                                       : std::string();
    return static_cast<std::int32_t>(integerWithin(key, text, 1, largest, memoryNote) * entriesPerUnit - 1);
}

// The file's text; a missing file is no text. A file that is there but cannot be
// read (a folder, no permission, a read error) is an error like any other in it.
std::string configText()
{
    std::string text;
    int errorNumber = 0;
    if (readRegularFile(configFileName, text, errorNumber) || errorNumber == ENOENT) return text;
    throw ConfigError("Не удалось прочитать " + configFileName + ": " + std::strerror(errorNumber));
}

// From 1 to the machine's logical processors: more threads than processors only take
// turns on them.
std::int32_t threadsFor(const std::string& key, const std::string& text)
{
    const long threads = toInteger(key, text);
    const long most = logicalProcessors();
    if (threads < 1 || threads > most)
        refuse(text, "допустимые значения от 1 до " + std::to_string(most), key);
    return static_cast<std::int32_t>(threads);
}

std::string normalisedPath(std::string path)
{
    if (path.size() < 2) return {};
    if (path.back() != '/' && path.back() != '\\') path += '/';
    return path;
}

inline bool isBlank(char c) { return c == ' ' || c == '\t'; }

// A line starting with '#' or ';' is a comment, and so is everything from a '#' that
// follows a blank, together with the blanks before it. A '#' right after other text
// belongs to the value, so that a folder such as "/data/egtb#2/" can be named.
std::string withoutComment(const std::string& line)
{
    if (!line.empty() && (line[0] == '#' || line[0] == ';')) return {};
    for (std::size_t i = 1; i < line.size(); ++i)
        if (line[i] == '#' && isBlank(line[i - 1])) {
            std::size_t end = i;
            while (end > 0 && isBlank(line[end - 1])) --end;
            return line.substr(0, end);
        }
    return line;
}

EngineSettings readSettings()
{
    EngineSettings settings;
    std::istringstream file(configText());
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > maxConfigLine) line.resize(maxConfigLine);
        line = withoutComment(line);
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (key == "hashsize" || key == "Hashsize") {
            settings.hashMask = hashMaskFor(key, value);
        } else if (key == "egtbpath" || key == "EGTBpath") {
            settings.egtbpath = value;
        } else if (key == "EGTBPieses" || key == "egtbpieses") {
            // The tables hold up to five pieces; 0 switches them off.
            settings.egtbPieces = static_cast<std::int32_t>(integerWithin(key, value, 0, maxTablePieces));
        } else if (key == "threads") {
            settings.threads = threadsFor(key, value);
        }
        settings.egtbpath = normalisedPath(settings.egtbpath);
    }
    return settings;
}

} // namespace

void checkConfiguration() { readSettings(); }

namespace {

void initEngineWith(const EngineSettings& settings)
{
    // Everything that can fail comes first: the new tables and the bitbase. Until then
    // nothing has changed, so a failure leaves the engine as it was.
    HashTableBlock tables = newHashTables(settings.hashMask);
    std::vector<std::uint8_t> bitbase;
    bool bitbaseFound = false;
    try {
        bitbaseFound = readBitbaseFile(settings.egtbpath, settings.egtbPieces, bitbase);
    } catch (const std::bad_alloc&) {
        throw TableMemoryError("Недостаточно памяти для эндшпильной базы (EGTBPieses)");
    }

    // No helper of a search that a command interrupted may read the tables rebuilt here.
    stopHelperThreads();
    buildBoardTables();
    buildEvaluationTables();
    mainSearcher.setPositionFromText(initialPositionText); // the game position
    buildKeys();
    searchAge = 1;
    buildHistoryBonus();
    egtbpath = settings.egtbpath;
    EGTBPieses = settings.egtbPieces;
    configuredThreads = settings.threads;
    installHashTables(std::move(tables), settings.hashMask);
    installBitbase(std::move(bitbase), bitbaseFound);
}

} // namespace

bool readRegularFile(const std::string& path, std::string& bytes, int& errorNumber)
{
    // Not blocking: a pipe under the name must not hang the program.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        errorNumber = errno;
        return false;
    }
    struct stat st {};
    errorNumber = ::fstat(fd, &st) == 0 ? 0 : errno;
    if (errorNumber == 0 && !S_ISREG(st.st_mode)) errorNumber = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    std::string read;
    char buffer[65536];
    while (errorNumber == 0) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) errorNumber = errno;
        if (n <= 0) break;
        read.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (errorNumber != 0) return false;
    bytes.swap(read);
    return true;
}

void initEngine() { initEngineWith(readSettings()); }

void initEngineWithDefaults() { initEngineWith(EngineSettings{}); }

void finishStartup()
{
    stopHelperThreads();
    fillNeighbourSquares();
    if (squareTablesRaised) return;
    squareTablesRaised = true;
    for (int& v : manSquareTable) v += 100;
    for (int& v : kingSquareTable) v += 300;
    buildEvaluationTables();
}
