// The one way the program writes a file. Every save, page, merge output and
// scratch file goes through here, so a crash, a full disk or a second writer
// never leaves a damaged file in place of a good one.
//
// Contract of WriteFileSafely / SaveFileSafely (target = fileName):
// - a symbolic link is written through (the file it points to is replaced and
//   the link stays a link), by the kernel's rule for links in shared folders:
//   a link in a sticky, world-writable folder (/tmp) is followed only when it
//   belongs to us or to the folder's owner; any other such link is refused
//   (a link planted there by another user never redirects our write);
// - an existing target we may not write (read-only file, or not a regular
//   file) is refused with EFCreateError and the platform's reason; it is
//   never silently replaced;
// - the new content goes to a uniquely named temporary in the target's own
//   folder (".NAME.XXXXXX~", created exclusively, never through a link), is
//   flushed and fsync'ed, gets the old target's permissions and (where allowed)
//   owner and group, or 0666 less the umask for a new file, and is renamed over
//   the target; then the folder is fsync'ed;
// - on every failure the temporary is removed and the old target is left as
//   it was. A folder we cannot create files in is refused too (an in-place
//   write is exactly what leaves a truncated file behind);
// - temporaries of ours left behind by a killed write (no writer holds them
//   any more) are removed on the first write into their folder;
// - errors: EFCreateError("Cannot create file NAME: reason") when the
//   temporary cannot be made or placed, EWriteError when writing, flushing
//   or syncing fails; exceptions of `fill` pass through unchanged, except an
//   EFCreateError for the temporary's name, which is reported for NAME.
// Hard links to the old target keep the old content (rename makes a new file).
#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace Platform {

struct TWriteOptions {
    // False: an existing file of that name (or a link, even a dangling one) is
    // kept and the write refused with EFileExists; nothing is followed.
    bool replaceExisting = true;
    // False: the file is placed without fsync; the caller makes many writes
    // durable at once with SyncFileSystem before it reports success.
    bool syncNow = true;
};

// Lets `fill` write the whole new content into the file named `tempName` (it
// may open, truncate and close it as it likes), then places it as above.
void WriteFileSafely(const std::string& fileName, const std::function<void(const std::string& tempName)>& fill,
                     const TWriteOptions& options = {});

// Writes all of `bytes` to an open descriptor, again after an interruption; false when
// the system refuses the rest (errno tells why) or the other end of a pipe is gone.
bool WriteWhole(int fd, std::string_view bytes);

// The file holds exactly `bytes` afterwards, written as above.
void SaveFileSafely(const std::string& fileName, std::string_view bytes, const TWriteOptions& options = {});

// A filler's error message naming the hidden temporary, made to name the file the
// user asked for instead.
std::string NamingTarget(std::string message, const std::string& tempName, const std::string& fileName);

// Flushes everything written to the file system holding `folder` (syncfs), so
// the files placed with syncNow false survive a power cut. Raises EWriteError
// naming the folder when the system reports a failed write-back.
void SyncFileSystem(const std::string& folder);

} // namespace Platform
