#include "assembly/PackageTemplate.h"

#include "platform/Cp1252.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include <pugixml.hpp>

namespace {

// Text parts together may not inflate past this.
constexpr size_t kMaxTextParts = size_t(256) << 20;

constexpr std::string_view kOdfMimeTypes[] = {"application/vnd.oasis.opendocument.text",
                                              "application/vnd.oasis.opendocument.text-template"};

std::string LowerExtension(const std::string& fileName) {
    std::string ext = std::filesystem::path(fileName).extension().string();
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

std::string ReadFileBytes(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw Platform::EFOpenError(fileName);
    in.seekg(0, std::ios::end);
    const auto size = in.tellg();
    if (size > std::streamoff(kMaxPackageSize)) throw EPackageError(fileName + " is larger than Kelvora reads (512 MB)");
    in.seekg(0);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw Platform::EFOpenError(fileName);
    return bytes;
}

// The main document part named by the package's relationships ("word/document.xml").
std::string WordMainPart(const TZipPackage& zip) {
    const int64_t rels = zip.Find("_rels/.rels");
    if (rels >= 0) {
        const std::string xml = zip.Read(size_t(rels), size_t(1) << 20);
        pugi::xml_document doc;
        if (doc.load_buffer(xml.data(), xml.size(), pugi::parse_minimal)) {
            for (pugi::xml_node r = doc.document_element().first_child(); r; r = r.next_sibling()) {
                const std::string_view type = r.attribute("Type").value();
                std::string_view target = r.attribute("Target").value();
                if (type.size() < 15 || type.substr(type.size() - 15) != "/officeDocument" || target.empty()) continue;
                if (target[0] == '/') target.remove_prefix(1);
                return std::string(target);
            }
        }
    }
    return "word/document.xml";
}

// Headers, footers, footnotes and endnotes of a Word document, by their usual names.
bool IsWordTextPart(std::string_view name) {
    if (name == "footnotes.xml" || name == "endnotes.xml") return true;
    if (name.substr(0, 6) != "header" && name.substr(0, 6) != "footer") return false;
    name.remove_prefix(6);
    while (!name.empty() && name[0] >= '0' && name[0] <= '9') name.remove_prefix(1);
    return name == ".xml";
}

bool ContainsAt(std::string_view xml) {
    return xml.find('@') != std::string_view::npos || xml.find("&#64;") != std::string_view::npos ||
           xml.find("&#x40;") != std::string_view::npos;
}

// A few characters of reader text around a position.
std::string Around(const std::string& display, size_t at, size_t length) {
    const size_t from = at > kCheckContext ? at - kCheckContext : 0;
    return display.substr(from, at - from + length + kCheckContext);
}

std::string JsonString(const std::string& bytes) {
    std::string out = "\"";
    for (const char c : Platform::Cp1252ToUtf8(bytes)) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
            continue;
        }
        out += c;
    }
    return out + "\"";
}

} // namespace

bool IsPackageTemplate(const std::string& fileName) {
    static const char* const extensions[] = {".docx", ".docm", ".dotx", ".dotm", ".odt", ".ott"};
    const std::string ext = LowerExtension(fileName);
    if (std::find(std::begin(extensions), std::end(extensions), ext) != std::end(extensions)) return true;
    std::ifstream in(fileName, std::ios::binary);
    char head[4] = {};
    in.read(head, 4);
    return in.gcount() == 4 && TZipPackage::LooksLikeZip(std::string_view(head, 4));
}

std::string PackageOverwriteMessage() {
    return "Overwrite mode has no meaning for a .docx or .odt template (it places values in the columns of RTF "
           "source): merge without --overwrite";
}

TPackageTemplate::TPackageTemplate(const std::string& fileName) : TPackageTemplate(ReadFileBytes(fileName), fileName) {}

TPackageTemplate::TPackageTemplate(std::string bytes, const std::string& name) {
    if (!TZipPackage::LooksLikeZip(bytes))
        throw EPackageError(name + " is not a .docx or .odt document (not a zip package)");
    FZip = std::make_unique<TZipPackage>(std::move(bytes));
    const int64_t mime = FZip->Find("mimetype");
    if (mime >= 0) {
        const std::string type = FZip->Read(size_t(mime), 256);
        if (std::find(std::begin(kOdfMimeTypes), std::end(kOdfMimeTypes), type) == std::end(kOdfMimeTypes))
            throw EPackageError(name + " is an OpenDocument package but not a text document (" + type + ")");
        FFormat = TPackageFormat::Odt;
    } else {
        FFormat = TPackageFormat::Docx;
    }
    ReadParts(name);
}

std::vector<std::string> TPackageTemplate::TextPartNames() const {
    if (FFormat == TPackageFormat::Odt) return {"content.xml", "styles.xml"};
    const std::string main = WordMainPart(*FZip);
    const std::string folder = main.substr(0, main.rfind('/') + 1);
    std::vector<std::string> names{main};
    for (const TZipEntry& e : FZip->Entries())
        if (e.name.size() > folder.size() && e.name.compare(0, folder.size(), folder) == 0 &&
            IsWordTextPart(std::string_view(e.name).substr(folder.size())))
            names.push_back(e.name);
    return names;
}

void TPackageTemplate::ReadParts(const std::string& name) {
    const std::vector<std::string> names = TextPartNames();
    const int64_t mainEntry = FZip->Find(names[0]);
    if (mainEntry < 0)
        throw EPackageError(name + " is not a .docx or .odt document: it has no " + names[0]);
    size_t total = 0;
    for (const std::string& partName : names) {
        const int64_t entry = FZip->Find(partName);
        if (entry < 0) continue;
        const std::string xml = FZip->Read(size_t(entry));
        total += xml.size();
        if (total > kMaxTextParts) throw EPackageError(name + ": its text parts are larger than Kelvora reads (256 MB)");
        // A part without "@" has no marker: it is copied as it is.
        if (!ContainsAt(xml)) continue;
        const size_t firstByte = FRuns.text.size();
        TSlottedPart slotted = ReadPartRuns(xml, FFormat, partName, FRuns);
        FParts.push_back({size_t(entry), partName, std::move(slotted), firstByte});
    }
}

TMergeResult TPackageTemplate::Merge(const TMergeLines& lines) const {
    TRunMergeResult merged = MergeRuns(FRuns, lines);
    if (merged.merge.outcome != TMergeOutcome::Done) return std::move(merged.merge);
    std::map<size_t, std::string> replaced;
    for (const Part& part : FParts) replaced[part.entry] = AssemblePart(part.slotted, FFormat, FRuns, merged);
    merged.merge.text = FZip->Write(replaced);
    return std::move(merged.merge);
}

const TPackageTemplate::Part& TPackageTemplate::PartOfByte(size_t byte) const {
    auto it = std::upper_bound(FParts.begin(), FParts.end(), byte,
                               [](size_t b, const Part& p) { return b < p.firstByte; });
    return *std::prev(it);
}

std::vector<TSplitMarker> TPackageTemplate::SplitMarkers() const {
    std::vector<TSplitMarker> out;
    const std::string display = DisplayText(FRuns);
    for (const size_t q : ::SplitMarkers(FRuns)) {
        const std::string marker = ExtractMarker(std::string_view(FRuns.text).substr(q));
        std::vector<int32_t> slots;
        for (size_t i = q; i < q + marker.size(); ++i)
            if (slots.empty() || slots.back() != FRuns.slot[i]) slots.push_back(FRuns.slot[i]);
        out.push_back({PartOfByte(q).name, marker, slots.size(), Around(display, q, marker.size())});
    }
    return out;
}

std::string SplitMarkersText(const std::vector<TSplitMarker>& split) {
    if (split.empty()) return {};
    std::string out = "Markers put together from several runs: " + std::to_string(split.size()) + "\n";
    for (const TSplitMarker& s : split)
        out += "  " + s.part + ": " + s.marker + " (" + std::to_string(s.pieces) + " runs)  \xAB" + s.context +
               "\xBB\n";
    return out;
}

std::string WithSplitMarkersJson(std::string json, const std::vector<TSplitMarker>& split) {
    const size_t end = json.rfind('}');
    if (end == std::string::npos) return json;
    std::string list = "[";
    for (size_t i = 0; i < split.size(); ++i) {
        const TSplitMarker& s = split[i];
        list += (i ? ",\n    {" : "\n    {");
        list += "\"part\": " + JsonString(s.part) + ", \"marker\": " + JsonString(s.marker) +
               ", \"runs\": " + std::to_string(s.pieces) + ", \"context\": " + JsonString(s.context) + "}";
    }
    list += split.empty() ? "]" : "\n  ]";
    size_t close = end;
    while (close > 0 && (json[close - 1] == '\n' || json[close - 1] == ' ')) --close;
    return json.insert(close, ",\n  \"reassembled\": " + list);
}

TCheckReport CheckPackageTemplate(const TPackageTemplate& tpl, const TMergeLines& lines) {
    const std::string& text = tpl.Runs().text;
    TCheckReport report = CheckTemplate(text, lines, TMergeMode::Insert);
    // The context as people read it: the document's own characters, byte for byte in
    // place of the ones the merge reads.
    const std::string display = DisplayText(tpl.Runs());
    for (TCheckFinding& f : report.findings) {
        if (f.visibleIndex == std::string::npos || f.visibleIndex > display.size()) continue;
        f.before = display.substr(f.visibleIndex - std::min(f.before.size(), f.visibleIndex), f.before.size());
        f.after = display.substr(f.visibleIndex, f.after.size());
    }
    return report;
}
