#include "platform/SafeWrite.h"

#include "platform/Errors.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The file a chain of symbolic links ends at (the path itself when it is no link
// or does not exist yet), so the link survives the rename.
std::string ResolveLinks(const std::string& fileName) {
    std::string path = fileName;
    for (int hops = 0;; ++hops) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        if (hops == 40) CreateFailed(fileName, ELOOP);
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

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The temporary: created exclusively beside the target, removed unless released.
class TTemporary {
public:
    explicit TTemporary(const std::string& target, const std::string& reportedName) {
        FName = DirName(target) + "/." + BaseName(target) + ".XXXXXX~";
        FFd = ::mkostemps(FName.data(), 1, O_CLOEXEC);
        if (FFd < 0) CreateFailed(reportedName, errno);
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

void Place(const std::string& fileName, const std::function<void(TTemporary&)>& fill) {
    const std::string target = ResolveLinks(fileName);
    struct stat old;
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists) {
        if (!S_ISREG(old.st_mode)) CreateFailed(fileName, S_ISDIR(old.st_mode) ? EISDIR : EINVAL);
        // No write bit at all is a read-only file even for a user the system would let write.
        if (::access(target.c_str(), W_OK) != 0) CreateFailed(fileName, errno);
        if ((old.st_mode & 0222) == 0) CreateFailed(fileName, EACCES);
    } else if (errno != ENOENT) {
        CreateFailed(fileName, errno);
    }

    TTemporary temp(target, fileName);
    fill(temp);

    // Reopened by the filler or not, the data are the inode's: sync through our descriptor.
    if (exists) {
        if (::fchown(temp.Fd(), old.st_uid, old.st_gid) != 0) (void)::fchown(temp.Fd(), uid_t(-1), old.st_gid);
        if (::fchmod(temp.Fd(), old.st_mode & 07777) != 0) throw EWriteError();
    } else if (::fchmod(temp.Fd(), NewFileMode()) != 0) {
        throw EWriteError();
    }
    if (::fsync(temp.Fd()) != 0) throw EWriteError();
    if (temp.Close() != 0) throw EWriteError();
    if (::rename(temp.Name().c_str(), target.c_str()) != 0) CreateFailed(fileName, errno);
    temp.Placed();
    SyncFolder(DirName(target));
}

} // namespace

void WriteFileSafely(const std::string& fileName, const std::function<void(const std::string& tempName)>& fill) {
    Place(fileName, [&](TTemporary& temp) {
        try {
            fill(temp.Name());
        } catch (const EFCreateError&) {
            throw EFCreateError(fileName);
        }
    });
}

void SaveFileSafely(const std::string& fileName, std::string_view bytes) {
    Place(fileName, [bytes](TTemporary& temp) {
        for (size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::write(temp.Fd(), bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) throw EWriteError();
            done += size_t(n);
        }
    });
}

} // namespace Platform
