#include "game/filewriting.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/engine.h"

namespace {

// The permissions of the file a save replaces, so that replacing it keeps them; a new
// file gets the permissions any new file gets.
mode_t permissionsFor(const std::string& fileName)
{
    struct stat existing {};
    if (::stat(fileName.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The hidden temporary's name beside the target, without mkstemp's six characters.
std::string temporaryPrefix(const std::filesystem::path& target)
{
    std::string name(1, '.');
    name.append(target.filename().string()).append(1, '.');
    return (target.parent_path() / name).string();
}

// A file beside the target under a name no other file has: created exclusively, so
// that no file of the user's is ever taken for the temporary one, and locked while it
// is written. A cleanup that removed it before the lock was taken is noticed, and
// another name is tried. mkstemp makes it private; it gets the permissions the saved
// file is to have.
int createTemporaryBeside(const std::string& fileName, std::string& temporary)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        temporary = temporaryPrefix(fileName) + "XXXXXX";
        const int fd = ::mkstemp(temporary.data());
        if (fd < 0) return -1;
        struct stat opened {}, named {};
        if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &opened) == 0 && ::stat(temporary.c_str(), &named) == 0 &&
            opened.st_ino == named.st_ino && opened.st_dev == named.st_dev) {
            ::fchmod(fd, permissionsFor(fileName));
            return fd;
        }
        ::close(fd);
    }
    errno = EAGAIN;
    return -1;
}

// mkstemp's six characters; a file whose six are lower-case letters alone reads as a
// word the user chose (".partie.gam.backup") and is left alone.
bool temporarySuffix(const std::string& tail)
{
    if (tail.size() != 6) return false;
    bool lowerOnly = true;
    for (char c : tail) {
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
        if (!std::islower(static_cast<unsigned char>(c))) lowerOnly = false;
    }
    return !lowerOnly;
}

std::string systemReason(int errorNumber) { return std::strerror(errorNumber); }

bool writeAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::optional<std::string> readFileWhole(const std::string& fileName, std::string* why)
{
    std::string bytes;
    int errorNumber = 0;
    if (readRegularFile(fileName, bytes, errorNumber)) return bytes;
    if (why) *why = "Не удалось прочитать файл " + fileName + ": " + systemReason(errorNumber);
    return std::nullopt;
}

std::string finalTarget(const std::string& fileName)
{
    namespace fs = std::filesystem;
    fs::path path(fileName);
    for (int links = 0; links < 40; ++links) { // as many as the system itself follows
        std::error_code error;
        if (!fs::is_symlink(path, error)) break;
        const fs::path target = fs::read_symlink(path, error);
        if (error) break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path.string();
}

PreparedFile::~PreparedFile() { discard(); }

void PreparedFile::discard()
{
    if (fd_ < 0) return;
    ::unlink(temporary_.c_str());
    ::close(fd_);
    fd_ = -1;
}

bool PreparedFile::failed(const std::string& file, int errorNumber)
{
    error_ = "Не удалось записать файл " + file + ": " + systemReason(errorNumber);
    discard();
    return false;
}

// Written beside the target under a temporary name and flushed to disk, so that
// neither a failed write nor a crash or power cut leaves a half-written file under
// the chosen name, or no file at all.
bool PreparedFile::prepare(const std::string& fileName, const std::string& bytes)
{
    discard();
    error_.clear();
    target_ = finalTarget(fileName);
    removeStaleTemporaries(target_);
    fd_ = createTemporaryBeside(target_, temporary_);
    if (fd_ < 0) return failed(target_, errno);
    if (!writeAll(fd_, bytes) || ::fsync(fd_) != 0) return failed(target_, errno);
    return true;
}

bool PreparedFile::commit()
{
    if (fd_ < 0) return false;
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) return failed(target_, errno);
    ::close(fd_); // the bytes were flushed before the rename
    fd_ = -1;
    syncFolderOf(target_);
    return true;
}

bool writeFileWhole(const std::string& fileName, const std::string& bytes, std::string* why)
{
    PreparedFile file;
    if (file.prepare(fileName, bytes) && file.commit()) return true;
    if (why) *why = file.error();
    return false;
}

void removeStaleTemporaries(const std::string& fileName)
{
    namespace fs = std::filesystem;
    const std::string prefix = temporaryPrefix(fileName);
    const fs::path folder = fs::path(prefix).parent_path();
    const std::string namePrefix = fs::path(prefix).filename().string();
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder.empty() ? "." : folder, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(namePrefix) || !temporarySuffix(name.substr(namePrefix.size()))) continue;
        std::error_code ignored;
        if (!entry.is_regular_file(ignored) || entry.is_symlink(ignored)) continue;
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) continue;
        // A write in progress holds its temporary locked until the rename.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(entry.path().c_str());
        ::close(fd);
    }
}

void syncFolderOf(const std::string& fileName)
{
    const std::filesystem::path folder = std::filesystem::path(fileName).parent_path();
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

