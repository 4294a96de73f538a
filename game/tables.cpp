#include "game/tables.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "engine/egtb.h"
#include "engine/engine.h"
#include "game/control.h"
#include "game/datafiles.h"
#include "game/filewriting.h"

extern char** environ;

namespace fs = std::filesystem;

const char* const tablesQuestion = "Создать таблицы эндшпиля сейчас? Это займёт около полуминуты и 110 МБ на диске.";

namespace {

const char* const configName = "korvel.ini";
const char* const declinedName = "egtb.declined"; // present once the user said no
const char* const lockName = "egtb.lock";         // locked while a program makes the folder's tables
const char* const temporaryName = "egtb.tmp";
const char* const oldTablesName = "egtb.old";
constexpr int tablePieces = bitbaseMaxPieces;
// Where the generator holds the build's lock: the lock lives as long as it runs, also
// when the program that started it was ended.
constexpr int builderLockFd = 3;
const char* const tablesStateUnchanged = " Новые таблицы не установлены, прежние не изменены.";

std::string dataFolder;
bool runFolder = false;
bool dataFolderWritable = true;
std::string dataFolderNotice;
std::vector<std::string> damageReported;

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

std::string reasonOf(int errorNumber) { return std::strerror(errorNumber); }

// The data folder's build lock, taken without waiting; -1 (errno telling why) when
// another program holds it or it cannot be made.
int lockTablesBuild(const std::string& folder)
{
    const int fd = ::open((fs::path(folder) / lockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int why = errno;
        ::close(fd);
        errno = why;
        return -1;
    }
    return fd;
}

// What a build ended with the program left: the temporary tables, and old tables set
// aside while the new ones took their name. Only while no program makes tables here.
void removeBuildLeftovers(const std::string& folder)
{
    std::error_code ec;
    const fs::path data(folder);
    if (!fs::exists(data / temporaryName, ec) && !fs::exists(data / oldTablesName, ec)) return;
    const int lock = lockTablesBuild(folder);
    if (lock < 0) return;
    fs::remove_all(data / temporaryName, ec);
    // Ended between the two renames: the old tables are the only ones.
    if (!fs::exists(data / "egtb", ec)) fs::rename(data / oldTablesName, data / "egtb", ec);
    fs::remove_all(data / oldTablesName, ec);
    ::close(lock);
}

bool folderWritable(const std::string& folder, std::string& why)
{
    if (::access(folder.c_str(), W_OK) == 0) return true;
    why = reasonOf(errno);
    return false;
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
    dataFolderWritable = !dataFolder.empty();
    dataFolderNotice.clear();
    const std::string config = dataFolder.empty() ? std::string() : (fs::path(dataFolder) / configName).string();
    const auto cannotWrite = [](const std::string& why) {
        dataFolderWritable = false;
        dataFolderNotice = why + ". Настройки и таблицы эндшпиля там не сохраняются.";
    };
    const std::string folderRefused = "В папку данных программы " + dataFolder + " нельзя записывать: ";
    std::string why;
    if (!runFolder && !config.empty() && !fs::create_directories(dataFolder, ec) && ec)
        cannotWrite(folderRefused + ec.message());
    else if (!dataFolder.empty() && !folderWritable(dataFolder, why))
        cannotWrite(folderRefused + why);
    if (dataFolderWritable) {
        removeStaleTemporaries(config);
        removeStaleTemporaries((fs::path(dataFolder) / declinedName).string());
        removeBuildLeftovers(dataFolder);
        if (!runFolder && !fs::exists(config, ec) && !writeFileWhole(config, firstConfig(dataFolder), &why))
            cannotWrite(why);
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

const std::string& dataFolderProblem() { return dataFolderNotice; }

bool ShouldOfferTables()
{
    std::error_code ec;
    // Tables that cannot be written where they belong are not offered.
    return !runFolder && dataFolderWritable && !bitbaseLoaded && fs::is_directory(dataFolder, ec) &&
           !tablesComplete(tablesFolder()) && !fs::exists(fs::path(dataFolder) / declinedName, ec);
}

bool RememberTablesDeclined(std::string* why)
{
    std::string reason = "нет папки для данных программы";
    if (!dataFolder.empty() && writeFileWhole((fs::path(dataFolder) / declinedName).string(), "", &reason)) return true;
    if (why) *why = "Ответ не удалось запомнить (" + reason + "): вопрос будет задан и при следующем запуске.";
    return false;
}

void UseDataFolderTables()
{
    if (dataFolder.empty() || bitbaseLoaded || configFileName == (fs::path(dataFolder) / configName).string()) return;
    if (!tablesComplete(tablesFolder())) return;
    egtbpath = tablesPathIn(dataFolder);
    EGTBPieses = tablePieces;
    LoadBitbase();
}

std::string damagedTablesQuestion()
{
    const std::vector<std::string> damaged = damagedBitbaseFiles(egtbpath, bitbasePieceLimit());
    if (damaged.empty() || damaged == damageReported) return {};
    damageReported = damaged;
    std::string text = "Повреждённые файлы таблиц эндшпиля в папке " + egtbpath + " не используются:";
    for (const std::string& line : damaged) text += "\n" + line;
    return text + "\nСоздать таблицы заново?";
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

std::string TablesBuild::temporaryFolder() const { return (fs::path(dataFolder_) / temporaryName).string(); }

bool TablesBuild::start(const std::string& builder, const std::string& folder)
{
    cancel();
    dataFolder_ = folder;
    pending_.clear();
    lastLine_.clear();
    lastTable_.clear();
    tablesMade_ = 0;
    positionsMade_ = 0;
    error_.clear();
    // One build at a time in a folder: a second one would remove the first one's tables.
    lock_ = lockTablesBuild(folder);
    if (lock_ < 0) {
        fail(errno == EWOULDBLOCK ? "таблицы эндшпиля в папке " + folder + " уже создаёт другая копия программы"
                                  : "нельзя создать " + (fs::path(folder) / lockName).string() + ": " + reasonOf(errno));
        return false;
    }
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
    posix_spawn_file_actions_adddup2(&actions, lock_, builderLockFd);
    posix_spawn_file_actions_addchdir_np(&actions, temporary.c_str());
    const std::string pieces = std::to_string(tablePieces);
    std::vector<std::string> words = {builder, "egtb", "build", temporary, "--pieces", pieces};
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t child = -1;
    const int spawned = ::posix_spawn(&child, builder.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    if (spawned != 0 || child <= 0) {
        ::close(pipe[0]);
        fail("нельзя запустить " + builder);
        return false;
    }
    child_ = child;
    output_ = pipe[0];
    ::fcntl(output_, F_SETFL, O_NONBLOCK);
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
    if (state_ != State::Running || child_ <= 0) return state_;
    readProgress();
    int status = 0;
    const pid_t ended = ::waitpid(child_, &status, WNOHANG);
    if (ended == 0 || (ended < 0 && errno == EINTR)) return state_;
    // The child is gone (or was never ours to wait for): nothing of it is signalled or
    // waited for again, whatever the rest does.
    child_ = -1;
    state_ = State::Failed;
    readProgress(); // what it wrote before it ended
    if (!pending_.empty()) takeLine(pending_);
    closeOutput();
    const bool exitedWell = ended > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    try {
        return finish(exitedWell);
    } catch (const std::exception& error) {
        return fail(error.what());
    }
}

void TablesBuild::closeOutput()
{
    if (output_ >= 0) ::close(output_);
    output_ = -1;
}

TablesBuild::State TablesBuild::fail(const std::string& why)
{
    // The temporary tables are this build's only while it holds the folder's lock.
    if (lock_ >= 0) {
        std::error_code ec;
        fs::remove_all(temporaryFolder(), ec);
    }
    releaseLock();
    error_ = why;
    state_ = State::Failed;
    return state_;
}

void TablesBuild::releaseLock()
{
    if (lock_ >= 0) ::close(lock_);
    lock_ = -1;
}

// The tables and korvel.ini change together or not at all: the new korvel.ini is on
// disk under a temporary name before the tables move, and takes its name right
// after them; if it cannot, the old tables come back.
TablesBuild::State TablesBuild::finish(bool exitedWell)
{
    const std::string temporary = temporaryFolder();
    if (!exitedWell) return fail(lastLine_.empty() ? "программа создания таблиц завершилась с ошибкой" : lastLine_);
    if (!tablesComplete(temporary)) return fail("созданы не все таблицы");
    const std::string config = (fs::path(dataFolder_) / configName).string();
    std::error_code ec;
    std::string current, why;
    if (fs::exists(config, ec) || ec) {
        const std::optional<std::string> read = readFileWhole(finalTarget(config), &why);
        if (!read) return fail(why + "." + tablesStateUnchanged);
        current = *read;
    }
    const std::string wanted = configNamingTables(current, dataFolder_);
    PreparedFile newConfig;
    const bool configChanges = wanted != current;
    if (configChanges && !newConfig.prepare(config, wanted)) return fail(newConfig.error() + "." + tablesStateUnchanged);
    syncFiles(temporary);
    // The old tables, if any, give way only once the new ones are whole.
    const fs::path tables = fs::path(dataFolder_) / "egtb";
    const fs::path old = fs::path(dataFolder_) / oldTablesName;
    fs::remove_all(old, ec);
    ec.clear();
    const bool hadTables = fs::exists(tables, ec);
    if (hadTables) fs::rename(tables, old, ec);
    if (!ec) fs::rename(temporary, tables, ec);
    if (ec) {
        std::error_code ignored;
        if (!fs::exists(tables, ignored) && fs::exists(old, ignored)) fs::rename(old, tables, ignored);
        return fail("нельзя переименовать " + temporary + ": " + ec.message() + "." + tablesStateUnchanged);
    }
    if (configChanges && !newConfig.commit()) {
        std::error_code ignored;
        fs::rename(tables, temporary, ignored);
        if (hadTables) fs::rename(old, tables, ignored);
        return fail(newConfig.error() + "." + tablesStateUnchanged);
    }
    syncFolderOf(tables.string());
    fs::remove_all(old, ec);
    releaseLock();
    state_ = State::Done;
    return state_;
}

void TablesBuild::cancel()
{
    if (state_ != State::Running) return;
    // Only our own child, which has not been waited for yet, is ever signalled.
    if (child_ > 0) {
        ::kill(child_, SIGKILL);
        ::waitpid(child_, nullptr, 0);
    }
    child_ = -1;
    closeOutput();
    std::error_code ec;
    if (lock_ >= 0) fs::remove_all(temporaryFolder(), ec);
    releaseLock();
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
