#include "assembly/XmlRunText.h"

#include "assembly/ZipPackage.h"
#include "platform/Cp1252.h"

#include <pugixml.hpp>

#include <unordered_set>

namespace {

constexpr const char* kSlotPi = "kvslot";
constexpr std::string_view kSlotText = "<?kvslot?>";

const char* const kWordNamespaces[] = {"http://schemas.openxmlformats.org/wordprocessingml/2006/main",
                                       "http://purl.oclc.org/ooxml/wordprocessingml/main"};
constexpr const char* kOdfText = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
constexpr const char* kOdfOffice = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";

// A character beyond ASCII stands in RTF source as an escape ending in "?" («\u163?»
// for «£»): a word delimiter next to a marker, as here. A line break in the text
// reads as a space, as every white-space character of ODF text does.
char AnalysisByte(char32_t c) {
    if (c == '\n' || c == '\r') return ' ';
    return c < 0x80 ? char(c) : '?';
}
char OdfAnalysisByte(char32_t c) { return c == '\t' ? ' ' : AnalysisByte(c); }

// The prefix the part's root gives a namespace ("w", "text"), with its colon.
std::string PrefixOf(pugi::xml_node root, const char* uri, const char* usual) {
    for (pugi::xml_attribute a = root.first_attribute(); a; a = a.next_attribute()) {
        const std::string_view name = a.name();
        if (std::string_view(a.value()) != uri) continue;
        if (name == "xmlns") return "";
        if (name.substr(0, 6) == "xmlns:") return std::string(name.substr(6)) + ":";
    }
    return std::string(usual) + ":";
}

// Walks the tree without recursion (a hostile part may nest deeply).
template <typename Enter, typename Leave>
void Walk(pugi::xml_node top, Enter enter, Leave leave) {
    pugi::xml_node n = top.first_child();
    while (n) {
        if (enter(n) && n.first_child()) {
            n = n.first_child();
            continue;
        }
        leave(n);
        while (!n.next_sibling()) {
            n = n.parent();
            if (!n || n == top) return;
            leave(n);
        }
        n = n.next_sibling();
    }
}

// What a reader sees in WordprocessingML: the text of w:t; a paragraph, and
// anything else a run holds (tab, break, picture, field character, symbol), stands
// between pieces of text.
class WordReader {
public:
    WordReader(pugi::xml_node root, TRunText& runs) : FRuns(runs) {
        std::string w = "w:";
        for (const char* uri : kWordNamespaces)
            if (const std::string p = PrefixOf(root, uri, "-"); p != "-:") w = p;
        FW = w;
        FT = w + "t";
        FP = w + "p";
        FR = w + "r";
        for (const char* name : {"t", "rPr", "lastRenderedPageBreak", "instrText", "delText", "delInstrText"})
            FQuiet.insert(w + name);
        for (const char* name : {"del", "moveFrom", "instrText", "delText", "delInstrText", "rPr", "pPr"})
            FSkipped.insert(w + name);
    }

    bool Enter(pugi::xml_node n, std::vector<pugi::xml_node>& slots) {
        if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) {
            if (FT == n.parent().name()) {
                FRuns.AddSlot(n.value(), AnalysisByte);
                slots.push_back(n);
            }
            return false;
        }
        if (n.type() != pugi::node_element) return false;
        const char* name = n.name();
        if (FP == name) FRuns.AddBreak();
        else if (FR == n.parent().name() && !FQuiet.count(name)) FRuns.AddBreak();
        return !FSkipped.count(name);
    }
    void Leave(pugi::xml_node n) {
        if (n.type() == pugi::node_element && FP == n.name()) FRuns.AddBreak();
    }
    const std::string& Prefix() const { return FW; }

private:
    TRunText& FRuns;
    std::string FW, FT, FP, FR;
    std::unordered_set<std::string> FQuiet, FSkipped;
};

// What a reader sees in ODF text: character data inside paragraphs and headings;
// tabs, line breaks, spaces elements, frames and note citations stand between
// pieces of text; annotations and tracked deletions are not read.
class OdfReader {
public:
    OdfReader(pugi::xml_node root, TRunText& runs) : FRuns(runs) {
        const std::string t = PrefixOf(root, kOdfText, "text"), office = PrefixOf(root, kOdfOffice, "office");
        FT = t;
        FParagraphs = {t + "p", t + "h"};
        FSkipped = {t + "note-citation", t + "tracked-changes", office + "annotation", t + "s", t + "tab",
                    t + "line-break"};
    }

    bool Enter(pugi::xml_node n, std::vector<pugi::xml_node>& slots) {
        if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) {
            if (FDepth > 0) {
                FRuns.AddSlot(n.value(), OdfAnalysisByte);
                slots.push_back(n);
            }
            return false;
        }
        if (n.type() != pugi::node_element) return false;
        const std::string name = n.name();
        if (FParagraphs.count(name)) {
            FRuns.AddBreak();
            ++FDepth;
            return true;
        }
        if (FDepth > 0 && (FSkipped.count(name) || name.find("draw:") == 0)) FRuns.AddBreak();
        return !FSkipped.count(name);
    }
    const std::string& Prefix() const { return FT; }
    void Leave(pugi::xml_node n) {
        if (n.type() == pugi::node_element && FParagraphs.count(n.name())) {
            FRuns.AddBreak();
            --FDepth;
        }
    }

private:
    TRunText& FRuns;
    std::string FT;
    std::unordered_set<std::string> FParagraphs, FSkipped;
    int FDepth = 0;
};

struct StringWriter : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
};

// The slots that hold a marker's characters: their text changes with every merge.
std::vector<bool> MarkerSlots(const TRunText& runs, size_t firstByte) {
    std::vector<bool> touched(runs.slots.size(), false);
    const std::string_view text = std::string_view(runs.text).substr(firstByte);
    for (size_t q = text.find('@'); q != std::string_view::npos; q = text.find('@', q + 1)) {
        const size_t len = ExtractMarker(text.substr(q)).size();
        for (size_t i = q; i < q + len && i < text.size(); ++i)
            if (const int32_t s = runs.slot[firstByte + i]; s >= 0) touched[size_t(s)] = true;
    }
    return touched;
}


// A value as ODF text: spaces kept (runs of them, and any at its ends, as
// text:s), tabs and line breaks as their elements.
void AppendOdfValue(std::string& out, std::string_view value, const std::string& t) {
    for (size_t i = 0; i < value.size();) {
        const char c = value[i];
        if (c == ' ') {
            size_t j = i;
            while (j < value.size() && value[j] == ' ') ++j;
            if (j - i == 1 && i > 0 && j < value.size()) out += ' ';
            else out += "<" + t + "s " + t + "c=\"" + std::to_string(j - i) + "\"/>";
            i = j;
        } else if (c == '\t') {
            out += "<" + t + "tab/>";
            ++i;
        } else if (c == '\r' || c == '\n') {
            out += "<" + t + "line-break/>";
            i += c == '\r' && i + 1 < value.size() && value[i + 1] == '\n' ? 2 : 1;
        } else {
            size_t j = i;
            while (j < value.size() && std::string_view(" \t\r\n").find(value[j]) == std::string_view::npos) ++j;
            AppendEscaped(out, value.substr(i, j - i));
            i = j;
        }
    }
}

// A value inside a w:t: a tab or a line break closes the text element, adds its
// own element and opens a new text element.
void AppendWordValue(std::string& out, std::string_view value, const std::string& w) {
    const std::string t = w + "t";
    const std::string reopen = "<" + t + " xml:space=\"preserve\">";
    for (size_t i = 0; i < value.size();) {
        const char c = value[i];
        if (c == '\t' || c == '\r' || c == '\n') {
            out += "</" + t + "><" + w + (c == '\t' ? "tab/>" : "br/>") + reopen;
            i += c == '\r' && i + 1 < value.size() && value[i + 1] == '\n' ? 2 : 1;
            continue;
        }
        size_t j = i;
        while (j < value.size() && std::string_view("\t\r\n").find(value[j]) == std::string_view::npos) ++j;
        AppendEscaped(out, value.substr(i, j - i));
        i = j;
    }
}

} // namespace

void AppendEscaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '\r': out += "&#13;"; break;
        default:
            // Control characters are not allowed in XML text.
            if (u >= 0x20 || c == '\t' || c == '\n') out += c;
        }
    }
}

TSlottedPart ReadPartRuns(const std::string& xml, TPackageFormat format, const std::string& partName, TRunText& runs) {
    pugi::xml_document doc;
    const unsigned options = pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_declaration |
                             pugi::parse_comments | pugi::parse_pi | pugi::parse_doctype;
    const pugi::xml_parse_result parsed = doc.load_buffer(xml.data(), xml.size(), options, pugi::encoding_utf8);
    if (!parsed)
        throw EPackageError("The package's part " + partName + " is not well-formed XML: " + parsed.description() +
                            " at byte " + std::to_string(parsed.offset));
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_doctype)
            throw EPackageError("The package's part " + partName + " declares a document type, which Kelvora does not read");
    TSlottedPart part;
    part.firstSlot = runs.slots.size();
    const size_t firstByte = runs.text.size();
    runs.AddBreak();
    std::vector<pugi::xml_node> slots;
    const pugi::xml_node root = doc.document_element();
    if (format == TPackageFormat::Docx) {
        WordReader reader(root, runs);
        part.prefix = reader.Prefix();
        Walk(doc, [&](pugi::xml_node n) { return reader.Enter(n, slots); }, [&](pugi::xml_node n) { reader.Leave(n); });
    } else {
        OdfReader reader(root, runs);
        part.prefix = reader.Prefix();
        Walk(doc, [&](pugi::xml_node n) { return reader.Enter(n, slots); }, [&](pugi::xml_node n) { reader.Leave(n); });
    }
    part.slotCount = slots.size();
    const std::vector<bool> touched = MarkerSlots(runs, firstByte);
    for (size_t i = 0; i < slots.size(); ++i) {
        pugi::xml_node parent = slots[i].parent();
        if (format == TPackageFormat::Docx && touched[part.firstSlot + i] && !parent.attribute("xml:space"))
            parent.append_attribute("xml:space") = "preserve";
        parent.insert_child_before(pugi::node_pi, slots[i]).set_name(kSlotPi);
        parent.remove_child(slots[i]);
    }
    StringWriter writer;
    doc.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    const std::string_view out = writer.out;
    size_t from = 0;
    for (size_t at = out.find(kSlotText); at != std::string_view::npos; at = out.find(kSlotText, from)) {
        part.chunks.emplace_back(out.substr(from, at - from));
        from = at + kSlotText.size();
    }
    part.chunks.emplace_back(out.substr(from));
    if (part.chunks.size() != part.slotCount + 1)
        throw EPackageError("The package's part " + partName + " holds processing instructions Kelvora uses itself");
    return part;
}

std::string AssemblePart(const TSlottedPart& part, TPackageFormat format, const TRunText& runs,
                         const TRunMergeResult& merged) {
    std::string out;
    size_t size = 0;
    for (const std::string& c : part.chunks) size += c.size();
    out.reserve(size + size / 4);
    out += part.chunks[0];
    for (size_t k = 0; k < part.slotCount; ++k) {
        const size_t s = part.firstSlot + k;
        const std::string& old = runs.slots[s];
        if (!merged.changed[s]) {
            AppendEscaped(out, old);
        } else {
            for (const TSlotPiece& p : merged.pieces[s]) {
                if (!p.isValue) AppendEscaped(out, std::string_view(old).substr(p.begin, p.end - p.begin));
                else if (format == TPackageFormat::Odt) AppendOdfValue(out, p.value, part.prefix);
                else AppendWordValue(out, p.value, part.prefix);
            }
        }
        out += part.chunks[k + 1];
    }
    return out;
}
