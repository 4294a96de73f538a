#include "game/tables.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "engine/egtb.h"
#include "engine/engine.h"
#include "game/control.h"
#include "game/datafiles.h"
#include "game/gamefiles.h"

extern char** environ;

namespace fs = std::filesystem;

const char* const tablesQuestion = "Создать таблицы эндшпиля сейчас? Это займёт около полуминуты и 110 МБ на диске.";

namespace {

const char* const configName = "korvel.ini";
const char* const declinedName = "egtb.declined"; // present once the user said no
constexpr int tablePieces = bitbaseMaxPieces;

std::string dataFolder;
bool runFolder = false;

std::string tablesPathIn(const std::string& folder) { return (fs::path(folder) / "egtb").string() + "/"; }

std::string firstConfig(const std::string& folder)
{
    return "hashsize=64\negtbpath=" + tablesPathIn(folder) + "\nEGTBPieses=" + std::to_string(tablePieces) + "\n";
}

// korvel.ini with egtbpath and EGTBPieses naming the tables, every other line kept.
std::string configNamingTables(const std::string& text, const std::string& folder)
{
    const std::string pathLine = "egtbpath=" + tablesPathIn(folder);
    const std::string piecesLine = "EGTBPieses=" + std::to_string(tablePieces);
    std::string out;
    bool pathSet = false, piecesSet = false;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        const std::string key = line.substr(0, line.find('='));
        if (key == "egtbpath" || key == "EGTBpath") {
            line = pathLine;
            pathSet = true;
        } else if (key == "EGTBPieses" || key == "egtbpieses") {
            line = piecesLine;
            piecesSet = true;
        }
        out += line + "\n";
    }
    if (!pathSet) out += pathLine + "\n";
    if (!piecesSet) out += piecesLine + "\n";
    return out;
}

std::string readText(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool isExecutable(const fs::path& file)
{
    std::error_code ec;
    return fs::is_regular_file(file, ec) && ::access(file.c_str(), X_OK) == 0;
}

// The tables, and the folder's list of them, must be on disk before they take their
// name, as any saved file.
void syncFiles(const fs::path& folder)
{
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        ::fsync(fd);
        ::close(fd);
    }
    syncFolderOf((folder / ".").string());
}

const BitbaseTable* tableNamed(const std::string& name)
{
    for (const BitbaseTable& t : bitbaseTables)
        if (name == t.name) return &t;
    return nullptr;
}

} // namespace

void resolveDataPathsIn(const std::string& workingFolder, const std::string& userFolder)
{
    std::error_code ec;
    runFolder = fs::exists(fs::path(workingFolder) / configName, ec);
    dataFolder = runFolder ? workingFolder : userFolder;
    const std::string config = dataFolder.empty() ? std::string() : (fs::path(dataFolder) / configName).string();
    if (!runFolder && !config.empty()) {
        fs::create_directories(dataFolder, ec);
        if (!fs::exists(config, ec)) writeFileWhole(config, firstConfig(dataFolder));
    }
    // The working folder's, else the user's; the installed copy's when the user's
    // folder cannot be written.
    configFileName = !config.empty() && fs::exists(config, ec) ? config : dataFilePath(configName);
}

void ResolveDataPaths()
{
    std::error_code ec;
    resolveDataPathsIn(fs::current_path(ec).string(), userDataFolder());
}

const std::string& writableDataFolder() { return dataFolder; }

bool inRunFolder() { return runFolder; }

std::string tablesFolder() { return dataFolder.empty() ? std::string() : (fs::path(dataFolder) / "egtb").string(); }

std::vector<TableFileProblem> tableFileProblems(const std::string& folder)
{
    std::vector<TableFileProblem> problems;
    const fs::path dir(folder);
    const auto check = [&](const std::string& name, std::uintmax_t size) {
        std::error_code ec;
        const std::uintmax_t found = fs::file_size(dir / name, ec);
        if (ec) problems.push_back({name, size, std::nullopt});
        else if (found != size) problems.push_back({name, size, found});
    };
    check("egtb" + std::to_string(tablePieces) + ".bit", bitbaseSizeFivePieces);
    for (const BitbaseTable& t : bitbaseTables) check(std::string(t.name) + ".brg", t.positions);
    return problems;
}

bool tablesComplete(const std::string& folder) { return tableFileProblems(folder).empty(); }

bool ShouldOfferTables()
{
    std::error_code ec;
    return !runFolder && !bitbaseLoaded && fs::is_directory(dataFolder, ec) && !tablesComplete(tablesFolder()) &&
           !fs::exists(fs::path(dataFolder) / declinedName, ec);
}

void RememberTablesDeclined()
{
    if (!dataFolder.empty()) writeFileWhole((fs::path(dataFolder) / declinedName).string(), "");
}

std::string tablesBuilderProgram()
{
    const fs::path self = runningExecutable();
    if (self.empty()) return {};
    for (const fs::path& folder : {self.parent_path(), self.parent_path().parent_path()})
        if (isExecutable(folder / "korvel-cli")) return (folder / "korvel-cli").string();
    return {};
}

// ---------------------------------------------------------------- the build

TablesBuild::~TablesBuild() { cancel(); }

int TablesBuild::tablesTotal() { return bitbaseTableCount; }

std::string TablesBuild::temporaryFolder() const { return (fs::path(dataFolder_) / "egtb.tmp").string(); }

bool TablesBuild::start(const std::string& builder, const std::string& folder)
{
    cancel();
    dataFolder_ = folder;
    pending_.clear();
    lastLine_.clear();
    lastTable_.clear();
    tablesMade_ = 0;
    positionsMade_ = 0;
    std::error_code ec;
    const std::string temporary = temporaryFolder();
    fs::remove_all(temporary, ec); // what an earlier run left when the program was ended
    if (!fs::create_directories(temporary, ec)) {
        fail("нельзя создать папку " + temporary);
        return false;
    }
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        fail("нельзя запустить " + builder);
        return false;
    }
    // The generator reads korvel.ini from its working folder: the empty temporary one.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], 2);
    posix_spawn_file_actions_addchdir_np(&actions, temporary.c_str());
    const std::string pieces = std::to_string(tablePieces);
    std::vector<std::string> words = {builder, "egtb", "build", temporary, "--pieces", pieces};
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const int spawned = ::posix_spawn(&child_, builder.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    if (spawned != 0) {
        ::close(pipe[0]);
        child_ = -1;
        fail("нельзя запустить " + builder);
        return false;
    }
    output_ = pipe[0];
    ::fcntl(output_, F_SETFL, O_NONBLOCK);
    error_.clear();
    state_ = State::Running;
    return true;
}

void TablesBuild::readProgress()
{
    char buffer[4096];
    while (true) {
        const ssize_t n = ::read(output_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        pending_.append(buffer, static_cast<std::size_t>(n));
    }
    for (std::size_t end; (end = pending_.find('\n')) != std::string::npos;) {
        takeLine(pending_.substr(0, end));
        pending_.erase(0, end + 1);
    }
}

// "2d1p_1d0p_ru: 27776 positions; ..." once a table is made.
void TablesBuild::takeLine(const std::string& line)
{
    if (line.empty()) return;
    lastLine_ = line;
    const BitbaseTable* table = tableNamed(line.substr(0, line.find(':')));
    if (!table) return;
    lastTable_ = table->name;
    ++tablesMade_;
    positionsMade_ += table->positions;
}

double TablesBuild::fractionMade() const
{
    std::uint64_t total = 0;
    for (const BitbaseTable& t : bitbaseTables) total += t.positions;
    return static_cast<double>(positionsMade_) / static_cast<double>(total);
}

TablesBuild::State TablesBuild::poll()
{
    if (state_ != State::Running) return state_;
    readProgress();
    int status = 0;
    const pid_t ended = ::waitpid(child_, &status, WNOHANG);
    if (ended == 0) return state_;
    readProgress(); // what it wrote before it ended
    if (!pending_.empty()) takeLine(pending_);
    ::close(output_);
    output_ = -1;
    child_ = -1;
    return finish(ended > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TablesBuild::State TablesBuild::fail(const std::string& why)
{
    std::error_code ec;
    if (!dataFolder_.empty()) fs::remove_all(temporaryFolder(), ec);
    error_ = why;
    state_ = State::Failed;
    return state_;
}

TablesBuild::State TablesBuild::finish(bool exitedWell)
{
    const std::string temporary = temporaryFolder();
    if (!exitedWell) return fail(lastLine_.empty() ? "программа создания таблиц завершилась с ошибкой" : lastLine_);
    if (!tablesComplete(temporary)) return fail("созданы не все таблицы");
    syncFiles(temporary);
    // The old tables, if any, give way only once the new ones are whole.
    const fs::path tables = fs::path(dataFolder_) / "egtb";
    const fs::path old = fs::path(dataFolder_) / "egtb.old";
    std::error_code ec;
    fs::remove_all(old, ec);
    if (fs::exists(tables, ec)) fs::rename(tables, old, ec);
    if (!ec) fs::rename(temporary, tables, ec);
    if (ec) {
        std::error_code ignored;
        if (!fs::exists(tables, ignored) && fs::exists(old, ignored)) fs::rename(old, tables, ignored);
        return fail("нельзя переименовать " + temporary);
    }
    syncFolderOf(tables.string());
    fs::remove_all(old, ec);
    const std::string config = (fs::path(dataFolder_) / configName).string();
    const std::string current = fs::exists(config, ec) ? readText(config) : std::string();
    if (!writeFileWhole(config, configNamingTables(current, dataFolder_))) {
        error_ = "нельзя записать " + config;
        state_ = State::Failed;
        return state_;
    }
    state_ = State::Done;
    return state_;
}

void TablesBuild::cancel()
{
    if (state_ != State::Running) return;
    ::kill(child_, SIGKILL);
    ::waitpid(child_, nullptr, 0);
    ::close(output_);
    child_ = -1;
    output_ = -1;
    std::error_code ec;
    fs::remove_all(temporaryFolder(), ec);
    state_ = State::Cancelled;
}

bool UseMadeTables()
{
    if (gameControl.thinking || dataFolder.empty()) return false;
    egtbpath = tablesPathIn(dataFolder);
    EGTBPieses = tablePieces;
    LoadBitbase();
    return bitbaseLoaded;
}
