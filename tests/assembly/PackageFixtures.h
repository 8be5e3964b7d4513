// Small .docx and .odt packages built in memory, and their parts read back.
#pragma once
#include <zip.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace PackageFixtures {

struct Entry {
    std::string name, content;
    bool stored = false; // no compression (an ODF mimetype, a picture)
    int level = 0;       // deflate level; 0 for the default
};

// A zip archive of the entries, in order.
inline std::string Zip(const std::vector<Entry>& entries) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* out = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(out);
    zip_t* z = zip_open_from_source(out, ZIP_TRUNCATE, &error);
    if (!z) throw std::runtime_error("zip_open_from_source");
    for (const Entry& e : entries) {
        zip_source_t* s = zip_source_buffer(z, e.content.data(), e.content.size(), 0);
        const zip_int64_t i = zip_file_add(z, e.name.c_str(), s, ZIP_FL_ENC_UTF_8);
        if (i < 0) throw std::runtime_error(zip_strerror(z));
        zip_set_file_compression(z, zip_uint64_t(i), e.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, zip_uint32_t(e.level));
    }
    if (zip_close(z) < 0) throw std::runtime_error("zip_close");
    zip_source_open(out);
    std::string bytes;
    char buf[65536];
    for (zip_int64_t n; (n = zip_source_read(out, buf, sizeof buf)) > 0;) bytes.append(buf, size_t(n));
    zip_source_close(out);
    zip_source_free(out);
    return bytes;
}

// Each entry of an archive: name, content, compression method.
struct ReadEntry {
    std::string name, content;
    int method;
};
inline std::vector<ReadEntry> Unzip(const std::string& bytes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* z = zip_open_from_source(src, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!z) throw std::runtime_error("not a zip");
    std::vector<ReadEntry> out;
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(z, zip_uint64_t(i), 0, &st);
        zip_file_t* f = zip_fopen_index(z, zip_uint64_t(i), 0);
        std::string content(size_t(st.size), '\0');
        if (st.size) zip_fread(f, content.data(), st.size);
        zip_fclose(f);
        out.push_back({st.name, content, int(st.comp_method)});
    }
    zip_discard(z);
    return out;
}

inline std::string PartOf(const std::string& bytes, const std::string& name) {
    for (const ReadEntry& e : Unzip(bytes))
        if (e.name == name) return e.content;
    throw std::runtime_error("no part " + name);
}

constexpr const char* kWordNs = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";

// A WordprocessingML part: `body` goes inside w:body (or is the whole root content
// for headers: `root` names the element).
inline std::string WordPart(const std::string& body, const std::string& root = "w:document") {
    const bool document = root == "w:document";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<" + root + " " + kWordNs + ">" +
           (document ? "<w:body>" + body + "</w:body>" : body) + "</" + root + ">";
}

// A paragraph of runs; a run written "*text" is bold.
inline std::string Paragraph(const std::vector<std::string>& runs) {
    std::string p = "<w:p>";
    for (const std::string& r : runs) {
        const bool bold = !r.empty() && r[0] == '*';
        p += std::string("<w:r>") + (bold ? "<w:rPr><w:b/></w:rPr>" : "") + "<w:t xml:space=\"preserve\">" +
             (bold ? r.substr(1) : r) + "</w:t></w:r>";
    }
    return p + "</w:p>";
}

inline const std::string kPicture = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(300, '\x07');

inline std::string Docx(const std::string& documentXml, std::vector<Entry> more = {}, int level = 0) {
    std::vector<Entry> entries{
        {"[Content_Types].xml",
         "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
         "<Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>"},
        {"_rels/.rels",
         "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
         "officeDocument\" Target=\"word/document.xml\"/></Relationships>"},
        {"word/document.xml", documentXml, false, level},
        {"word/media/image1.png", kPicture, true}};
    for (Entry& e : more) entries.push_back(std::move(e));
    return Zip(entries);
}

constexpr const char* kOdfNs =
    "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
    "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
    "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\"";

inline std::string Odt(const std::string& bodyText, const std::string& masterPage = "") {
    const std::string content = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content ") +
                                kOdfNs + "><office:body><office:text>" + bodyText +
                                "</office:text></office:body></office:document-content>";
    const std::string styles = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-styles ") +
                               kOdfNs + "><office:master-styles><style:master-page style:name=\"Standard\">" +
                               masterPage + "</style:master-page></office:master-styles></office:document-styles>";
    return Zip({{"mimetype", "application/vnd.oasis.opendocument.text", true},
                {"content.xml", content},
                {"styles.xml", styles},
                {"Pictures/p.png", kPicture, true},
                {"META-INF/manifest.xml", "<manifest/>"}});
}

} // namespace PackageFixtures
