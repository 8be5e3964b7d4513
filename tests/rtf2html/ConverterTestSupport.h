// Helpers for the converter tests: RTF written to a scratch file and converted,
// the page split into its frame and body, and a writer run that records lines.
#pragma once
#include "rtf2html/RtfToHtml.h"
#include "rtf2html/RunContext.h"

#include <string>
#include <vector>

namespace rtf2html::test {

// A scratch folder, removed with its contents when the object goes.
class TScratch {
public:
    TScratch();
    ~TScratch();
    std::string Path(const std::string& name) const { return FDir + "/" + name; }
    std::string Write(const std::string& name, const std::string& content) const;

private:
    std::string FDir;
};

std::string ReadFile(const std::string& path);

struct TPage {
    std::vector<std::string> Lines; // without line ends
    std::string Raw;                 // the file's bytes
    // The lines between the BODY line and "</BODY>", joined without separators.
    std::string Body() const;
    std::vector<std::string> BodyLines() const;
};

TPage ReadPage(const std::string& path);

// Converts `rtf` and returns the page; conversion errors propagate.
TPage Convert(const std::string& rtf, const std::vector<std::string>& options = {},
              const TCodePages* codePages = nullptr);
// The body markup only.
std::string BodyOf(const std::string& rtf, const std::vector<std::string>& options = {});

// One row of a table of conversions: the page body an RTF fragment gives.
struct TBodyCase {
    const char* name;
    std::string rtf;
    std::string body;
};

// Checks every row, naming the failing ones.
void ExpectBodies(const std::vector<TBodyCase>& cases, const std::vector<std::string>& options = {});

class TRecordingSink : public TLineSink {
public:
    void WriteLine(std::string_view line) override { Lines.emplace_back(line); }
    std::vector<std::string> Lines;
};

// A writer run on a recording sink, for calling the units directly.
struct TWriterRun {
    TRecordingSink Sink;
    TRun Run{Sink};
};

} // namespace rtf2html::test
