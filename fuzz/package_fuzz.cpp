// A .docx or .odt template from untrusted bytes: it is refused with EPackageError
// or read, merged and checked without a crash, a hang or unbounded memory, and a
// merged document is again a package that reads. Input that is not a zip is taken
// as the main XML part of a package built around it (first byte even: .docx, odd:
// .odt), so the XML reader and the merge are searched too, past the zip's checksums.
#include "assembly/PackageTemplate.h"

#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

std::string Package(std::string_view xml, bool odt) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* out = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(out);
    zip_t* z = zip_open_from_source(out, ZIP_TRUNCATE, &error);
    const auto add = [&](const char* name, std::string_view content) {
        zip_file_add(z, name, zip_source_buffer(z, content.data(), content.size(), 0), 0);
    };
    if (odt) {
        add("mimetype", "application/vnd.oasis.opendocument.text");
        add("content.xml", xml);
    } else {
        add("word/document.xml", xml);
    }
    std::string bytes;
    if (zip_close(z) == 0 && zip_source_open(out) == 0) {
        char buf[65536];
        for (zip_int64_t n; (n = zip_source_read(out, buf, sizeof buf)) > 0;) bytes.append(buf, size_t(n));
        zip_source_close(out);
    }
    zip_source_free(out);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const TVectorLines lines(std::vector<std::string>{"Client", "Mr J. Brown", "Fee", "150*2", "Note",
                                                             "see @1", "Address", "1 Quay Lane\r\nTopsham"});
    std::string input(reinterpret_cast<const char*>(data), size);
    if (!TZipPackage::LooksLikeZip(input) && size > 0) input = Package(std::string_view(input).substr(1), data[0] & 1);
    try {
        const TPackageTemplate tpl(input, "fuzz.docx");
        (void)tpl.SplitMarkers();
        (void)CheckPackageTemplate(tpl, lines);
        const TMergeResult r = tpl.Merge(lines);
        if (r.outcome == TMergeOutcome::Done && TZipPackage(r.text).Entries().empty()) __builtin_trap();
    } catch (const EPackageError&) {
    }
    return 0;
}
