// The line lists of the rich edit control: `WideLines` (Unicode) and `Lines` (8-bit,
// converted with the code page of the control's `Language`), and the 8-bit boundary
// conversions they share with the control.
#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

class TCustomRichEdit98;

namespace RichEditText {

// The ANSI code page of a locale identifier; 1252 when the locale names none we know.
int CodePageOfLanguage(int languageId);

// The locale identifier of the system's default locale (1033 for the C locale).
int SystemDefaultLanguage();

// 8-bit text <-> Unicode with a code page, byte for character.
QString AnsiToUnicode(std::string_view bytes, int codePage);
std::string UnicodeToAnsi(const QString& text, int codePage);

// Plain-text bytes as Unicode: UTF-8 when they carry the UTF-8 byte-order mark (which
// is dropped) or are valid UTF-8 with multi-byte sequences, as a Linux editor writes
// them; otherwise 8-bit text in the code page.
QString PlainTextToUnicode(std::string_view bytes, int codePage);

// Text as the engine holds it <-> the control's 8-bit text: a paragraph break is
// CR LF outside and one character inside; CR LF, CR and LF all read as a break, and
// the line break within a paragraph is the vertical tab (11).
QString ToEngineText(const QString& text);
QString FromEngineText(const QString& engineText);

} // namespace RichEditText

// Unicode view of the engine's lines.
class TWideRichEditStrings98 {
public:
    explicit TWideRichEditStrings98(TCustomRichEdit98& owner) : FOwner(owner) {}

    int Count() const;
    QString Get(int index) const;
    // The whole line, however long (Get stops at MaxLineLength).
    QString WholeLine(int index) const;
    void Put(int index, const QString& text);
    void Insert(int index, const QString& text);
    void Delete(int index);
    void Add(const QString& text) { Insert(Count(), text); }
    void Clear();
    void SetText(const QString& text);
    void AddStrings(const QStringList& lines);
    // Every line followed by CR LF, as a string list gives its text.
    QString Text() const;

    // Longest text `Get` returns for one line, in UTF-16 units.
    static constexpr int MaxLineLength = 4096;

private:
    QString LineText(int index, int limit) const;

    TCustomRichEdit98& FOwner;
};

// 8-bit view of the engine's lines; it also loads and saves the whole document.
class TRichEditStrings98 {
public:
    TRichEditStrings98(TCustomRichEdit98& owner, TWideRichEditStrings98& wide)
        : FOwner(owner), FWide(wide) {}

    int Count() const { return FWide.Count(); }
    std::string Get(int index) const;
    // The line as RTF source text: Get's bytes, with "\uN?" escapes for the
    // characters the code page lacks.
    std::string GetRtf(int index) const;
    void Put(int index, const std::string& text);
    void Insert(int index, const std::string& text);
    void Delete(int index) { FWide.Delete(index); }
    void Add(const std::string& text) { Insert(Count(), text); }
    void Clear() { FWide.Clear(); }
    void SetText(const std::string& text);
    void AddStrings(const std::vector<std::string>& lines);
    std::string Text() const;
    std::vector<std::string> ToVector() const;

    // Replace the document (or the selection, see the control's SelectedInOut) by the
    // content: RTF first when InputFormat is ifRTF, plain text as the fall-back.
    void LoadFromFile(const std::string& fileName);
    void LoadFromStream(const QByteArray& stream);
    // Write the document (or the selection) in the control's OutputFormat, whatever
    // the file's extension. A failed save leaves an existing file as it was.
    void SaveToFile(const std::string& fileName) const;
    void SaveToStream(QByteArray& stream) const;

private:
    QString ToUnicode(const std::string& text) const;
    TCustomRichEdit98& FOwner;
    TWideRichEditStrings98& FWide;
};
