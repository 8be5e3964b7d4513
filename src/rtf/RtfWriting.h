// The RTF writer: the properties it writes and the class that writes a range of a
// document. Private to the writer's files (RtfWrite*.cpp); the rest of the program uses
// WriteRtf in RtfEngine.h.
#pragma once
#include "rtf/RtfEngine.h"

#include "platform/Cp1252.h"
#include "rtf/ListNumbers.h"
#include "rtf/RtfCodePage.h"
#include "rtf/RtfDocumentModel.h"
#include "rtf/RtfKeptObject.h"
#include "rtf/RtfPicture.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <cctype>
#include <cmath>
#include <map>
#include <set>
#include <vector>

namespace RtfEngine::Writing {

// The character properties the writer expresses; two fragments with equal properties are
// written as one run.
struct CharProps {
    int font = 0;
    int halfPoints = 24;
    bool bold = false, italic = false, underline = false, strike = false;
    bool hidden = false, smallCaps = false, allCaps = false;
    int foreground = 0, background = 0;
    int verticalAlign = 0;
    QByteArray underlineWord; // "uldb" …; empty for a plain underline
    int lang = 0;
    bool operator==(const CharProps&) const = default;
};

struct TabProps {
    int position = 0;
    int type = 0;
    bool operator==(const TabProps&) const = default;
};

struct ParaProps {
    int align = 0;
    int left = 0, right = 0, first = 0, before = 0, after = 0;
    int lineSpacing = 0;
    bool lineMultiple = false;
    std::vector<TabProps> tabs;
    QVariantList leaders;
    int depth = 0; // table nesting level
    int list = 0, level = 0;
    int keptList = 0; // "\\ls" of the kept list table
    int style = -1;
    QByteArray kept;
    bool operator==(const ParaProps&) const = default;
};

// Font numbers the writer counts on from; a table's larger ones are left alone.
constexpr int kMaxFontNumber = 1 << 24;

inline int Twips(qreal units) { return int(std::lround(units * kTwipsPerUnit)); }

inline QByteArray Number(int value) { return QByteArray::number(value); }

class Writer {
public:
    Writer(const QTextDocument& document, int start, int end, const WriteOptions& options);
    QByteArray Write();

private:
    // --- tables of fonts, colours and lists ---------------------------------------

    QTextBlock FirstBlock() const { return FDoc.findBlock(FStart); }
    bool BlockInRange(const QTextBlock& block) const;
    void CollectTables();

    // What the writer needs of a character format, worked out once for each format.
    struct FormatInfo {
        CharProps props;     // none for a picture: it is written without character properties
        QVariantList fields;
        QString href;
        QByteArray linkSource; // the link's field as read, while it still gives `href`
        bool kept = false, image = false, anchor = false;
    };

    const FormatInfo& InfoOf(const QTextFragment& fragment);
    void FindDroppedAnchors();
    int FontIndex(const QTextCharFormat& f);
    static QString FontNameAsRead(QString name);
    int ColourIndex(const QBrush& brush);
    void WriteHeader();
    static int NfcOf(QTextListFormat::Style style);
    static char16_t BulletOf(QTextListFormat::Style style);
    static QString NumberSuffixOf(const QTextListFormat& f);
    void WriteNumberingGroup(const QTextListFormat& f);
    void WriteListLevel(const QTextListFormat& f, int level, bool own);
    static QString WrittenAsText(QString text);
    static int LargestNumberAfter(const QByteArray& source, const QByteArray& word, std::set<int>* all = nullptr);
    static qsizetype IndexOfWord(const QByteArray& source, const QByteArray& word);
    void WriteListTables();

    // A kept table, or a new one, with the lists the editor made right after the word
    // that opens it.
    template <typename WriteMade>
    void WriteTableWith(const QByteArray& kept, const QByteArray& word, WriteMade writeMade)
    {
        if (kept.isEmpty() && FListOrder.empty())
            return;
        const qsizetype at = kept.isEmpty() ? 0 : EndOfWord(kept, IndexOfWord(kept, word));
        FOut += kept.isEmpty() ? "{\\*" + word : kept.left(at);
        writeMade();
        FOut += kept.isEmpty() ? QByteArray("}") : kept.mid(at);
        FOut += "\r\n";
    }

    static qsizetype EndOfWord(const QByteArray& source, qsizetype at);

    // --- body ------------------------------------------------------------------------

    int KeptListOf(const QTextBlock& block) const;
    static QTextTable* TableOf(const QTextBlock& block, const QTextTable* parent);
    void WriteBody();
    static bool IsLastBlockOfCell(QTextTable& table, const QTextBlock& block);
    static bool IsLastCellOfRow(QTextTable& table, const QTextBlock& block);
    static bool IsLastBlockOfTable(QTextTable& table, const QTextBlock& block);
    void WriteParagraphEnd(const QTextBlock& block);
    QByteArray RowDefinition(QTextTable& table, int row, const QList<int>& rights) const;
    static QByteArray CellBorders(const QTextTableFormat& table, const QTextTableCellFormat& cell);
    static int LeftOf(QTextTable& table);
    void WriteTable(QTextTable& table, int depth);
    ParaProps CellParaProps(int depth) const;
    void WriteCell(QTextTable& table, const QTextTableCell& cell, int depth);
    QList<int> CellRights(QTextTable& table) const;
    ParaProps ParaPropsOf(const QTextBlock& block, int depth) const;
    void WriteParaProps(const ParaProps& s, const QTextList* list = nullptr);
    void WriteParagraph(const QTextBlock& block, int depth);

    // --- fields and links around the text ----------------------------------------------

    void SwitchGroups(const QVariantList& fields, const QString& href, const QByteArray& linkSource);
    static qsizetype CommonLength(const QVariantList& a, const QVariantList& b);
    QVariantList FieldsGoingOn(const QTextBlock& block) const;
    void OpenField(const QByteArray& source);
    void CloseFieldsTo(qsizetype count);
    void CloseLink();
    void OpenLink(const QString& href, const QByteArray& source);
    CharProps CharPropsOf(const QTextCharFormat& f);
    void WriteCharProps(const CharProps& s);
    static QImage ImageOf(const QVariant& resource);
    void WritePicture(const QTextImageFormat& f);
    void AppendText(QStringView text);
    void AppendText(const QString& text) { AppendText(QStringView(text)); }

    void KeepEscapeApartFromMarker();

    const QTextDocument& FDoc;
    const int FStart, FEnd;
    const WriteOptions FOptions;
    QByteArray FOut;
    QString FDefaultFamily;
    qreal FDefaultPoints = 12;
    QStringList FFonts;
    std::map<QString, int> FFontIndex;
    std::vector<QRgb> FColours;          // colour table entries 1..n
    std::map<QRgb, int> FColourIndex;
    std::map<const QTextList*, int> FListIds;
    int FDefaultFont = 0, FNextFont = 0;
    QByteArray FKeptFonts, FKeptColours, FStylesheet, FKeptLists, FKeptListOverrides, FInfo, FFormat;
    int FKeptColourCount = 0;
    int FLsBase = 0, FListIdBase = 1;
    std::set<int> FKeptOverrides; // the "\\ls" numbers of the document's own list table
    std::map<int, int> FForeignFonts; // kept fonts of other code pages: their text goes as "\\uN"
    std::vector<QTextList*> FListOrder;
    CharProps FState;
    CharProps FStateBeforeLink;
    QString FLink;
    QByteArray FLinkSource;
    ParaProps FPara;
    ParaProps FParagraphProps;            // the paragraph being written
    const QTextList* FParagraphList = nullptr;
    struct Saved { CharProps state; ParaProps para; };
    QVariantList FOpenFields;           // the fields whose result is being written
    std::vector<Saved> FFieldSaves;     // the properties from before each of them
    bool FHasAnchors = false;
    std::vector<FormatInfo> FInfos;
    std::vector<int> FInfoAt;           // format index -> its entry in FInfos, or -1
    std::set<int> FDroppedAnchors;      // anchors that make no bookmark in the range
    qsizetype FEscapeWithDigitEnd = -1; // where the last "\\'hd" with a digit d ended
};

} // namespace RtfEngine::Writing
