// The folder the program writes in and the endgame tables kept there. A copy started
// in a folder holding korvel.ini (as `make run` prepares build/run) keeps everything
// in that folder; any other start keeps korvel.ini and the tables in the user's data
// folder and asks once, on the first start, whether to make the tables. They are
// made by `korvel-cli egtb build` in a child process, so that the program's process
// stays free of the generator's threads and memory and cancelling is ending that
// process; they are made in a temporary folder, checked, and only then renamed into
// place, so that a cancelled or failed run leaves no half-written tables.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Decides the folder the program writes in, writes a korvel.ini there on the first
// start (egtbpath pointing at its egtb folder) and points `configFileName` at the
// korvel.ini to read: the working folder's, else the user's, else the installed
// copy's. Call before the engine starts.
void ResolveDataPaths();
// The same for a given working folder and user's data folder.
void resolveDataPathsIn(const std::string& workingFolder, const std::string& userFolder);

// The folder the program writes in, absolute (empty when there is none), and whether
// it is a run folder: the working folder, holding its own korvel.ini.
const std::string& writableDataFolder();
bool inRunFolder();
// writableDataFolder()/egtb
std::string tablesFolder();

// A file of the five-piece tables that is missing (no size) or has not its size.
struct TableFileProblem {
    std::string name;
    std::uintmax_t expectedSize = 0;
    std::optional<std::uintmax_t> size;
};
// Every such file in the folder, the in-memory table first; `korvel-cli egtb check`
// lists them.
std::vector<TableFileProblem> tableFileProblems(const std::string& folder);
// Every file of the five-piece tables there with its right size.
bool tablesComplete(const std::string& folder);

// Why the program cannot write its data folder, naming it, to be said once at
// start; empty when it can.
const std::string& dataFolderProblem();

extern const char* const tablesQuestion; // asked once on the first start
// True on a start outside a run folder when no tables are in use, none are in the
// data folder, they could be made there and the question was not declined before.
bool ShouldOfferTables();
// Remembered in the data folder, so that the question is not asked again; false when
// it cannot be, with what to tell the user in `why`.
bool RememberTablesDeclined(std::string* why = nullptr);
// The tables of the data folder are used when the korvel.ini in force is not the data
// folder's (it could not be written there): after every engine initialisation.
void UseDataFolderTables();
// The question telling which table files of the settings in force are damaged, and
// offering to make the tables again; empty when none is, or when the same ones were
// told of before.
std::string damagedTablesQuestion();

// korvel-cli beside the program (installed) or one folder up (the build tree, where
// the program is build/app/korvel); empty when there is none.
std::string tablesBuilderProgram();

// One run of the generator for the data folder's tables.
class TablesBuild {
public:
    enum class State { Idle, Running, Done, Failed, Cancelled };

    TablesBuild() = default;
    ~TablesBuild(); // a build still running is cancelled
    TablesBuild(const TablesBuild&) = delete;
    TablesBuild& operator=(const TablesBuild&) = delete;

    // Starts `builder egtb build DATA/egtb.tmp --pieces 5` holding the folder's build
    // lock (the generator holds it too); false (and error()) when it cannot be
    // started, also when another program is making the tables there.
    bool start(const std::string& builder, const std::string& dataFolder);
    // Reads the progress the generator reported and, once it has ended, checks its
    // tables and puts them in place (DATA/egtb) with korvel.ini pointing at them,
    // both or neither; a failure's error() says so.
    State poll();
    // Ends the generator and removes what it wrote.
    void cancel();

    State state() const { return state_; }
    int tablesMade() const { return tablesMade_; }
    static int tablesTotal();
    const std::string& lastTable() const { return lastTable_; }
    // The share of all positions whose tables are made, 0 to 1.
    double fractionMade() const;
    const std::string& error() const { return error_; }

private:
    void readProgress();
    void takeLine(const std::string& line);
    State finish(bool exitedWell);
    State fail(const std::string& why);
    void closeOutput();
    void releaseLock();
    std::string temporaryFolder() const;

    State state_ = State::Idle;
    pid_t child_ = -1; // our child while it runs and has not been waited for; else -1
    int output_ = -1;
    int lock_ = -1;    // the data folder's build lock while this build holds it
    std::string dataFolder_;
    std::string pending_;  // output after the last complete line
    std::string lastLine_; // the generator's last words, for a failure
    std::string lastTable_;
    int tablesMade_ = 0;
    std::uint64_t positionsMade_ = 0;
    std::string error_;
};

// Tables just made are used at once when no search runs (the engine reads them
// only between searches), otherwise from the next new game; true when at once.
bool UseMadeTables();
