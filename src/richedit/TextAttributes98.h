// Character attributes of the rich edit control, read and written one attribute at a
// time: the selection's (SelectionAttributes) or the default format (DefaultAttributes).
// Measures are points outside and whole twips (1/20 point) inside.
#pragma once
#include "richedit/UrlDetection.h"

#include <QTextCharFormat>
#include <string>
#include <vector>

class QFont;
class QTextDocument;
class TCustomRichEdit98;

// TFontStyles: bit 0 bold, bit 1 italic, bit 2 underline, bit 3 strikeout.
enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;
enum TFontPitch { fpDefault, fpVariable, fpFixed };

namespace Twips {
// Whole twips of a measure in points, to the nearest, halves to the even neighbour.
int FromPoints(double points);
double ToPoints(int twips);
} // namespace Twips

class TTextAttributes98 {
public:
    enum TAttributeKind { atSelected = 0, atDefaultText = 1 };

    TTextAttributes98(TCustomRichEdit98& owner, TAttributeKind kind) : FOwner(owner), FKind(kind) {}
    TAttributeKind Kind() const { return FKind; }

    TColor Color() const;
    void SetColor(const TColor& value);
    std::string Name() const;
    void SetName(const std::string& value);
    int Size() const;
    void SetSize(int value);
    TFontStyles Style() const;
    void SetStyle(TFontStyles value);
    TFontPitch Pitch() const;
    void SetPitch(TFontPitch value);
    int Weight() const;
    void SetWeight(int value);
    TColor BackColor() const;
    void SetBackColor(const TColor& value);
    int LocaleId() const;
    void SetLocaleId(int value);
    // 0 normal, 1 subscript, 2 superscript.
    int ScriptPosition() const;
    void SetScriptPosition(int value);
    double Offset() const;
    void SetOffset(double value);
    double Spacing() const;
    void SetSpacing(double value);
    double Kerning() const;
    void SetKerning(double value);
    // 0 none, 1 single, 2 words, 3 double, 4 dotted, 5 dash, 6 dash-dot, 7 dash-dot-dot, 8 wave.
    int UnderlineType() const;
    void SetUnderlineType(int value);
    int Animation() const;
    void SetAnimation(int value);

    bool Bold() const;
    void SetBold(bool value);
    bool Italic() const;
    void SetItalic(bool value);
    bool StrikeOut() const;
    void SetStrikeOut(bool value);
    bool Link() const;
    void SetLink(bool value);
    bool SmallCaps() const;
    void SetSmallCaps(bool value);
    bool AllCaps() const;
    void SetAllCaps(bool value);
    bool Hidden() const;
    void SetHidden(bool value);
    bool Outline() const;
    void SetOutline(bool value);
    bool Shadow() const;
    void SetShadow(bool value);
    bool Emboss() const;
    void SetEmboss(bool value);
    bool Imprint() const;
    void SetImprint(bool value);

    void Assign(const TTextAttributes98& source);
    void Assign(const QFont& source);
    void Assign(const QTextCharFormat& source);
    void AssignTo(QFont& destination) const;
    void AssignTo(QTextCharFormat& destination) const;

    // The format the attributes read from.
    QTextCharFormat Format() const;

    // A change of some attributes: properties to set and properties to remove.
    struct TChange {
        QTextCharFormat set;
        std::vector<int> clears;
        // Appends a later change (its settings win).
        void Then(const TChange& next);
        // The format with the change applied.
        QTextCharFormat AppliedTo(QTextCharFormat format) const;
    };
    // Writes the change into the selection (or the word at a bare caret, see
    // WordFormatting), or into the default format.
    void Apply(const TChange& change);
    // Writes a change into the characters [start, end) of a document as one edit step,
    // joined to the previous step when `joinPrevious` (changes that follow an edit).
    static void ApplyToRange(QTextDocument& document, int start, int end, const TChange& change,
                             bool joinPrevious = false);

private:
    QFont EffectiveFont() const;
    void ApplyToSelection(const TChange& change);
    void ApplyToDefault(const TChange& change);
    TCustomRichEdit98& FOwner;
    TAttributeKind FKind;
    QTextCharFormat FDefaultFormat; // the default kind's settings beyond the document font
};

// Format properties of the engine that have no drawing of their own in Qt; they ride
// along with the text so that reading gives back what was written.
namespace RichEditFormat {
enum : int {
    LocaleIdProperty = QTextFormat::UserProperty + 0x4b00,
    OffsetTwipsProperty,
    KerningTwipsProperty,
    AnimationProperty,
    OutlineProperty,
    ShadowProperty,
    EmbossProperty,
    ImprintProperty,
    UnderlineTypeProperty,
};
} // namespace RichEditFormat
