// A zip package (.docx, .odt) held in memory: read with the checks a hostile file
// calls for, and written back with some entries replaced and every other entry
// copied as it was (same bytes, order and compression).
#pragma once
#include "platform/Errors.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// A damaged or hostile package; the message says what is wrong with it.
class EPackageError : public Platform::Exception {
    using Exception::Exception;
};

struct TZipEntry {
    std::string name;
    uint64_t size = 0; // uncompressed, as the archive declares it
};

// Limits that keep a hostile package from taking the memory: a package larger
// than this is not read at all, and no entry is inflated past its limit.
constexpr size_t kMaxPackageSize = size_t(512) << 20;
constexpr size_t kMaxPartSize = size_t(64) << 20;

class TZipPackage {
public:
    // Reads the archive's directory. Raises EPackageError for a damaged archive, an
    // entry named outside the package ("../x", "/x") or a package past kMaxPackageSize.
    explicit TZipPackage(std::string bytes);

    const std::vector<TZipEntry>& Entries() const { return FEntries; }
    // The entry's index, or -1.
    int64_t Find(std::string_view name) const;
    // The entry's content, inflated; refused (EPackageError) past `limit` bytes,
    // whatever the archive declares.
    std::string Read(size_t index, size_t limit = kMaxPartSize) const;
    // The whole archive again, with the entries at the keys of `replaced` holding new
    // content. Safe to call from several threads at once.
    std::string Write(const std::map<size_t, std::string>& replaced) const;

    // Whether the bytes start like a zip archive.
    static bool LooksLikeZip(std::string_view bytes);

private:
    std::string FBytes;
    std::vector<TZipEntry> FEntries;
};

// Whether an entry name stays inside the package when unpacked.
bool IsSafeEntryName(std::string_view name);
