// A .docx or .odt template from untrusted bytes: it is refused with EPackageError
// or read, merged and checked without a crash, a hang or unbounded memory, and a
// merged document is again a package that reads.
#include "assembly/PackageTemplate.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const TVectorLines lines(std::vector<std::string>{"Client", "Mr J. Brown", "Fee", "150*2", "Note",
                                                             "see @1", "Address", "1 Quay Lane\r\nTopsham"});
    try {
        const TPackageTemplate tpl(std::string(reinterpret_cast<const char*>(data), size), "fuzz.docx");
        (void)tpl.SplitMarkers();
        (void)CheckPackageTemplate(tpl, lines);
        const TMergeResult r = tpl.Merge(lines);
        if (r.outcome == TMergeOutcome::Done) {
            const TZipPackage merged(r.text);
            if (merged.Entries().size() == 0) __builtin_trap();
        }
    } catch (const EPackageError&) {
    }
    return 0;
}
