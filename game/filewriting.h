// Files written whole or not at all, and read whole: what every save of the program
// (games, settings, korvel.ini, tables, progress) shares.
#pragma once

#include <optional>
#include <string>

// A file written beside its target under a hidden temporary name (.NAME.XXXXXX) and
// given the name later: once prepare() succeeds the bytes are on disk, commit() puts
// them in place. One never committed is removed. A target that is a symbolic link is
// written through to the file the link names, so that the link stays a link; a
// replaced file's permissions are kept.
class PreparedFile {
public:
    PreparedFile() = default;
    ~PreparedFile();
    PreparedFile(const PreparedFile&) = delete;
    PreparedFile& operator=(const PreparedFile&) = delete;

    bool prepare(const std::string& fileName, const std::string& bytes);
    bool commit();
    // Why the last step failed: the file and the system's reason.
    const std::string& error() const { return error_; }

private:
    bool failed(const std::string& file, int errorNumber);
    void discard();

    std::string target_;
    std::string temporary_;
    std::string error_;
    int fd_ = -1; // kept open and locked until the rename: a leftover is one nobody holds
};

// Writes the bytes under the name whole or not at all, through a temporary file
// beside it that no other file can be mistaken for; the file is on disk before it
// takes the name. On failure `why` gets the file and the system's reason.
bool writeFileWhole(const std::string& fileName, const std::string& bytes, std::string* why = nullptr);
// The bytes of a regular file; nothing when it cannot be read, and then `why` gets the
// file and the system's reason (a folder, no permission, an error while reading).
std::optional<std::string> readFileWhole(const std::string& fileName, std::string* why = nullptr);
// Removes the temporaries that writes of this name left when the program was killed
// in the middle: hidden .NAME.XXXXXX files beside it that no running write holds.
void removeStaleTemporaries(const std::string& fileName);
// The file a name stands for once symbolic links are followed, also when the last
// one names a file that does not exist yet.
std::string finalTarget(const std::string& fileName);
// After a rename the new name is only safe on disk once its folder is: flushes the
// folder that holds the file.
void syncFolderOf(const std::string& fileName);
