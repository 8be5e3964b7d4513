#include "assembly/ZipPackage.h"

#include <zip.h>

#include <memory>

namespace {

std::string ZipErrorText(zip_error_t* error) {
    std::string text = zip_error_strerror(error);
    zip_error_fini(error);
    return text;
}

[[noreturn]] void Damaged(const std::string& why) { throw EPackageError("The package is damaged: " + why); }

struct ArchiveCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

struct SourceFreer {
    void operator()(zip_source_t* s) const { zip_source_free(s); }
};
using Source = std::unique_ptr<zip_source_t, SourceFreer>;

struct FileCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};

// An archive over bytes we keep.
Archive OpenArchive(const std::string& bytes, int flags) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (!source) Damaged(ZipErrorText(&error));
    zip_t* archive = zip_open_from_source(source, flags, &error);
    if (!archive) {
        zip_source_free(source);
        Damaged(ZipErrorText(&error));
    }
    zip_error_fini(&error);
    return Archive(archive);
}

std::string ReadWholeSource(zip_source_t* source) {
    if (zip_source_open(source) < 0) Damaged(zip_error_strerror(zip_source_error(source)));
    std::string out;
    char buffer[1 << 16];
    for (;;) {
        const zip_int64_t n = zip_source_read(source, buffer, sizeof buffer);
        if (n < 0) {
            zip_source_close(source);
            Damaged(zip_error_strerror(zip_source_error(source)));
        }
        if (n == 0) break;
        out.append(buffer, size_t(n));
    }
    zip_source_close(source);
    return out;
}

} // namespace

bool IsSafeEntryName(std::string_view name) {
    if (name.empty() || name[0] == '/' || name[0] == '\\') return false;
    if (name.size() > 1 && name[1] == ':') return false; // a drive letter
    size_t start = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && name[i] != '/' && name[i] != '\\') continue;
        if (name.substr(start, i - start) == "..") return false;
        start = i + 1;
    }
    return true;
}

bool TZipPackage::LooksLikeZip(std::string_view bytes) { return bytes.substr(0, 4) == std::string_view("PK\3\4", 4); }

TZipPackage::TZipPackage(std::string bytes) : FBytes(std::move(bytes)) {
    if (FBytes.size() > kMaxPackageSize) throw EPackageError("The package is larger than Kelvora reads (512 MB)");
    Archive archive = OpenArchive(FBytes, ZIP_RDONLY | ZIP_CHECKCONS);
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    FEntries.reserve(size_t(count));
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(archive.get(), zip_uint64_t(i), ZIP_FL_ENC_RAW, &st) < 0 || !(st.valid & ZIP_STAT_NAME))
            Damaged(zip_strerror(archive.get()));
        const std::string name = st.name;
        if (!IsSafeEntryName(name))
            throw EPackageError("The package holds an entry named outside it: " + name);
        FEntries.push_back({name, (st.valid & ZIP_STAT_SIZE) ? st.size : 0});
    }
}

int64_t TZipPackage::Find(std::string_view name) const {
    for (size_t i = 0; i < FEntries.size(); ++i)
        if (FEntries[i].name == name) return int64_t(i);
    return -1;
}

std::string TZipPackage::Read(size_t index, size_t limit) const {
    const TZipEntry& entry = FEntries.at(index);
    const auto tooLarge = [&] {
        return EPackageError("The package's part " + entry.name + " is larger than Kelvora reads (" +
                             std::to_string(limit >> 20) + " MB)");
    };
    if (entry.size > limit) throw tooLarge();
    Archive archive = OpenArchive(FBytes, ZIP_RDONLY);
    std::unique_ptr<zip_file_t, FileCloser> file(zip_fopen_index(archive.get(), index, 0));
    if (!file) Damaged(entry.name + ": " + zip_strerror(archive.get()));
    std::string out;
    out.reserve(size_t(entry.size));
    char buffer[1 << 16];
    for (;;) {
        const zip_int64_t n = zip_fread(file.get(), buffer, sizeof buffer);
        if (n < 0) Damaged(entry.name + ": " + zip_file_strerror(file.get()));
        if (n == 0) break;
        // A lying size in the directory does not get past the limit either.
        if (out.size() + size_t(n) > limit) throw tooLarge();
        out.append(buffer, size_t(n));
    }
    return out;
}

std::string TZipPackage::Write(const std::map<size_t, std::string>& replaced) const {
    Archive source = OpenArchive(FBytes, ZIP_RDONLY);
    zip_error_t error;
    zip_error_init(&error);
    Source output(zip_source_buffer_create(nullptr, 0, 0, &error));
    if (!output) Damaged(ZipErrorText(&error));
    zip_source_keep(output.get());
    Archive archive(zip_open_from_source(output.get(), ZIP_TRUNCATE, &error));
    if (!archive) {
        zip_source_free(output.get());
        Damaged(ZipErrorText(&error));
    }
    zip_error_fini(&error);
    zip_t* z = archive.get();
    for (size_t i = 0; i < FEntries.size(); ++i) {
        zip_stat_t st;
        if (zip_stat_index(source.get(), i, 0, &st) < 0) Damaged(zip_strerror(source.get()));
        const auto it = replaced.find(i);
        // An entry we keep is copied as it is stored, without inflating it.
        zip_source_t* data = it != replaced.end()
                                 ? zip_source_buffer(z, it->second.data(), it->second.size(), 0)
                                 : zip_source_zip(z, source.get(), i, 0, 0, -1);
        if (!data) Damaged(zip_strerror(z));
        const zip_int64_t added = zip_file_add(z, FEntries[i].name.c_str(), data, 0);
        if (added < 0) {
            zip_source_free(data);
            Damaged(zip_strerror(z));
        }
        const auto index = zip_uint64_t(added);
        const zip_int32_t method = it != replaced.end() ? ZIP_CM_DEFLATE : zip_int32_t(st.comp_method);
        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        if (zip_set_file_compression(z, index, method, 0) < 0 ||
            ((st.valid & ZIP_STAT_MTIME) && zip_file_set_mtime(z, index, st.mtime, 0) < 0) ||
            (zip_file_get_external_attributes(source.get(), i, 0, &system, &attributes) == 0 &&
             zip_file_set_external_attributes(z, index, 0, system, attributes) < 0))
            Damaged(zip_strerror(z));
    }
    if (zip_close(z) < 0) Damaged(zip_strerror(z));
    (void)archive.release();
    return ReadWholeSource(output.get());
}
