// A .docx or .odt template: the package read once, its text parts cut at their
// text nodes, merged as often as there are information files. The merge is the
// RTF merge run on the text a reader sees; every other entry of the package is
// copied unchanged.
#pragma once
#include "assembly/CheckTemplate.h"
#include "assembly/MergeEngine.h"
#include "assembly/RunMerge.h"
#include "assembly/XmlRunText.h"
#include "assembly/ZipPackage.h"

#include <memory>
#include <string>
#include <vector>

// A marker the word processor cut into several runs, which the merge put together.
struct TSplitMarker {
    std::string part;   // the package entry that holds it
    std::string marker; // the marker as the reader sees it
    size_t pieces = 0;  // the number of text runs it spans
    std::string context; // the text around it (code page 1252)
};

class TPackageTemplate {
public:
    // Reads the template package. Raises EFOpenError, or EPackageError for a
    // package that is damaged, hostile, or neither a .docx nor an .odt document.
    explicit TPackageTemplate(const std::string& fileName);
    // The same from the package's bytes; `name` names it in messages.
    TPackageTemplate(std::string bytes, const std::string& name);

    TPackageFormat Format() const { return FFormat; }
    // ".docx" or ".odt": the extension of the merged documents.
    std::string Extension() const { return FFormat == TPackageFormat::Docx ? ".docx" : ".odt"; }
    // The text as the reader sees it, what the merge works on.
    const TRunText& Runs() const { return FRuns; }

    // Insert-mode merge. Done: result.text holds the new package's bytes. Any
    // other outcome carries the marker and message of the RTF merge. Safe to call
    // from several threads at once.
    TMergeResult Merge(const TMergeLines& lines) const;

    std::vector<TSplitMarker> SplitMarkers() const;

private:
    struct Part {
        size_t entry;
        std::string name;
        TSlottedPart slotted;
        size_t firstByte; // where its text starts in FRuns
    };
    void ReadParts(const std::string& name);
    std::vector<std::string> TextPartNames() const;
    const Part& PartOfByte(size_t byte) const;

    std::unique_ptr<TZipPackage> FZip;
    TPackageFormat FFormat = TPackageFormat::Docx;
    TRunText FRuns;
    std::vector<Part> FParts;
};

// Whether a template file is a .docx or .odt package: by its extension, or by its
// first bytes (a zip archive) whatever its name.
bool IsPackageTemplate(const std::string& fileName);

// The message refusing overwrite mode for a package template.
std::string PackageOverwriteMessage();

// The findings' text for `kelvora check`: the markers put together from several runs.
std::string SplitMarkersText(const std::vector<TSplitMarker>& split);
// CheckReportJson's object with a "reassembled" list added.
std::string WithSplitMarkersJson(std::string json, const std::vector<TSplitMarker>& split);

// The marker check on the text a reader sees in the package: the findings of an
// RTF template, for the markers as the merge puts them together.
TCheckReport CheckPackageTemplate(const TPackageTemplate& tpl, const TMergeLines& lines);
