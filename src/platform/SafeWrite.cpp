#include "platform/SafeWrite.h"

#include "platform/Errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <random>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace Platform {

namespace {

std::string DirName(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

[[noreturn]] void CreateFailed(const std::string& fileName, int error) {
    throw EFCreateError(fileName, std::strerror(error));
}

// The kernel's rule for links (fs.protected_symlinks), applied here because we
// follow links ourselves: in a sticky folder anyone may write to, only a link of
// ours or of the folder's owner is followed.
bool MayFollow(const std::string& link, const struct stat& linkStat) {
    struct stat folder;
    if (::stat(DirName(link).c_str(), &folder) != 0) return false;
    const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    return !shared || linkStat.st_uid == ::geteuid() || linkStat.st_uid == folder.st_uid;
}

// The file a chain of symbolic links ends at (the path itself when it is no link
// or does not exist yet), so the link survives the rename. This is on the write path
// (a save that replaces a file): every hop first passes MayFollow, the kernel's own rule
// for shared folders, and a link that passes it cannot be swapped by another user
// (the sticky bit keeps them from removing it). The temporary itself is created with
// O_EXCL | O_NOFOLLOW and renamed, so no link is followed past this point.
std::string ResolveLinks(const std::string& fileName) {
    std::string path = fileName;
    for (int hops = 0;; ++hops) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        if (hops == 40) CreateFailed(fileName, ELOOP);
        if (!MayFollow(path, st))
            throw EFCreateError(fileName, "it is a link of another user in a shared folder");
        std::string target(size_t(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0) CreateFailed(fileName, errno);
        target.resize(size_t(n));
        path = (target.empty() || target[0] == '/' || path.find('/') == std::string::npos)
                   ? target
                   : DirName(path) + "/" + target;
    }
}

void SyncFolder(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return; // the rename is done; a folder we cannot open cannot be synced
    ::fsync(fd);
    ::close(fd);
}

constexpr size_t kRandomLength = 6;
constexpr std::string_view kRandomAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

std::string RandomSuffix() {
    thread_local std::mt19937_64 random(std::random_device{}() ^
                                        std::hash<std::thread::id>{}(std::this_thread::get_id()));
    std::string suffix(kRandomLength, 'x');
    for (char& c : suffix) c = kRandomAlphabet[random() % kRandomAlphabet.size()];
    return suffix;
}

// ".NAME.XXXXXX~": the form of our temporaries, and of nothing a user names.
bool IsTemporaryName(std::string_view name) {
    if (name.size() < kRandomLength + 4 || name[0] != '.' || name.back() != '~') return false;
    const std::string_view random = name.substr(name.size() - 1 - kRandomLength, kRandomLength);
    return name[name.size() - 2 - kRandomLength] == '.' &&
           random.find_first_not_of(kRandomAlphabet) == std::string_view::npos;
}

// Temporaries whose writer died (kill -9, power cut): ours, no longer locked by a
// writer, and not just created (a writer locks right after creating). Each folder
// is looked through once per run, so a batch of thousands pays for it once.
void RemoveLeftovers(const std::string& dir) {
    struct stat folder;
    if (::stat(dir.c_str(), &folder) != 0) return;
    static std::mutex mutex;
    static std::set<std::pair<dev_t, ino_t>> cleaned;
    {
        std::lock_guard lock(mutex);
        if (!cleaned.insert({folder.st_dev, folder.st_ino}).second) return;
    }
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return;
    DIR* listing = ::fdopendir(::dup(dirFd));
    if (!listing) {
        ::close(dirFd);
        return;
    }
    const time_t stale = ::time(nullptr) - 10;
    while (const dirent* entry = ::readdir(listing)) {
        if (!IsTemporaryName(entry->d_name)) continue;
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && st.st_mtime < stale &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dirFd, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(listing);
    ::close(dirFd);
}

// The temporary: created exclusively beside the target and locked while it is
// written (which tells RemoveLeftovers it is alive); removed unless released.
class TTemporary {
public:
    TTemporary(const std::string& target, const std::string& reportedName, mode_t mode) {
        const std::string stem = DirName(target) + "/." + BaseName(target) + ".";
        for (int attempt = 0; FFd < 0; ++attempt) {
            FName = stem + RandomSuffix() + "~";
            FFd = ::open(FName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
            if (FFd < 0 && (errno != EEXIST || attempt == 100)) CreateFailed(reportedName, errno);
        }
        ::flock(FFd, LOCK_EX | LOCK_NB);
    }
    ~TTemporary() {
        if (FFd >= 0) ::close(FFd);
        if (!FPlaced) ::unlink(FName.c_str());
    }
    TTemporary(const TTemporary&) = delete;
    TTemporary& operator=(const TTemporary&) = delete;

    const std::string& Name() const { return FName; }
    int Fd() const { return FFd; }
    void Placed() { FPlaced = true; }
    int Close() {
        const int fd = FFd;
        FFd = -1;
        return ::close(fd);
    }

private:
    std::string FName;
    int FFd = -1;
    bool FPlaced = false;
};

// Puts the temporary in the target's place; with `replace` false only where no
// name is (a link included), atomically.
void Rename(const TTemporary& temp, const std::string& target, bool replace, const std::string& fileName) {
    if (replace) {
        if (::rename(temp.Name().c_str(), target.c_str()) != 0) CreateFailed(fileName, errno);
        return;
    }
    if (::renameat2(AT_FDCWD, temp.Name().c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return;
    if (errno == EEXIST) throw EFileExistsError(fileName);
    if (errno != EINVAL && errno != ENOSYS) CreateFailed(fileName, errno);
    // A file system without the flag: a hard link fails where any name exists.
    if (::link(temp.Name().c_str(), target.c_str()) != 0) {
        if (errno == EEXIST) throw EFileExistsError(fileName);
        CreateFailed(fileName, errno);
    }
    ::unlink(temp.Name().c_str());
}

void Place(const std::string& fileName, const TWriteOptions& options, const std::function<void(TTemporary&)>& fill) {
    const std::string target = options.replaceExisting ? ResolveLinks(fileName) : fileName;
    struct stat old;
    const bool exists = ::lstat(target.c_str(), &old) == 0;
    if (exists) {
        if (!options.replaceExisting) throw EFileExistsError(fileName);
        if (!S_ISREG(old.st_mode)) CreateFailed(fileName, S_ISDIR(old.st_mode) ? EISDIR : EINVAL);
        // No write bit at all is a read-only file even for a user the system would let write.
        if (::access(target.c_str(), W_OK) != 0) CreateFailed(fileName, errno);
        if ((old.st_mode & 0222) == 0) CreateFailed(fileName, EACCES);
    } else if (errno != ENOENT) {
        CreateFailed(fileName, errno);
    }

    RemoveLeftovers(DirName(target));
    // A new file is created with its final mode (0666 less the umask); a replaced
    // one stays private until it has the old file's owner and mode.
    TTemporary temp(target, fileName, exists ? 0600 : 0666);
    fill(temp);

    // Reopened by the filler or not, the data are the inode's: sync through our descriptor.
    if (exists) {
        if (::fchown(temp.Fd(), old.st_uid, old.st_gid) != 0) (void)::fchown(temp.Fd(), uid_t(-1), old.st_gid);
        if (::fchmod(temp.Fd(), old.st_mode & 07777) != 0) throw EWriteError();
    }
    if (options.syncNow && ::fsync(temp.Fd()) != 0) throw EWriteError();
    if (temp.Close() != 0) throw EWriteError();
    Rename(temp, target, options.replaceExisting, fileName);
    temp.Placed();
    if (options.syncNow) SyncFolder(DirName(target));
}

} // namespace

void WriteFileSafely(const std::string& fileName, const std::function<void(const std::string& tempName)>& fill,
                     const TWriteOptions& options) {
    Place(fileName, options, [&](TTemporary& temp) {
        try {
            fill(temp.Name());
        } catch (const EFCreateError&) {
            throw EFCreateError(fileName);
        }
    });
}

void SaveFileSafely(const std::string& fileName, std::string_view bytes, const TWriteOptions& options) {
    Place(fileName, options, [bytes](TTemporary& temp) {
        if (!WriteWhole(temp.Fd(), bytes)) throw EWriteError();
    });
}

bool WriteWhole(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(size_t(n));
    }
    return true;
}

std::string NamingTarget(std::string message, const std::string& tempName, const std::string& fileName) {
    for (size_t at = message.find(tempName); at != std::string::npos; at = message.find(tempName, at + fileName.size()))
        message.replace(at, tempName.size(), fileName);
    return message;
}

void SyncFileSystem(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int error = fd < 0 ? errno : ::syncfs(fd) != 0 ? errno : 0;
    if (fd >= 0) ::close(fd);
    if (error) throw EWriteError("Cannot save the documents in " + folder + " to disk: " + std::strerror(error));
}

} // namespace Platform
