#include "richedit/TextAttributes98.h"

#include "richedit/RichEdit98.h"
#include "rtf/RtfDocumentModel.h"

#include <QFont>
#include <QPalette>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <vector>
#include <cmath>

namespace Twips {
int FromPoints(double points) { return static_cast<int>(std::nearbyint(points * 20.0)); }
double ToPoints(int twips) { return twips / 20.0; }
} // namespace Twips

namespace {

using TChange = TTextAttributes98::TChange;
namespace RF = RichEditFormat;

TChange Setting(int property, const QVariant& value) {
    TChange change;
    change.set.setProperty(property, value);
    return change;
}

TChange Clearing(int property) {
    TChange change;
    change.clears.push_back(property);
    return change;
}

// A Qt letter spacing is in document units (15 twips).
int TwipsOfUnits(double units) { return static_cast<int>(std::nearbyint(units * RtfEngine::kTwipsPerUnit)); }

// Underline styles the toolkit draws, by underline type.
QTextCharFormat::UnderlineStyle UnderlineStyleOf(int type) {
    switch (type) {
    case 0: return QTextCharFormat::NoUnderline;
    case 4: return QTextCharFormat::DotLine;
    case 5: return QTextCharFormat::DashUnderline;
    case 6: return QTextCharFormat::DashDotLine;
    case 7: return QTextCharFormat::DashDotDotLine;
    case 8: return QTextCharFormat::WaveUnderline;
    default: return QTextCharFormat::SingleUnderline;
    }
}

int UnderlineTypeOf(QTextCharFormat::UnderlineStyle style) {
    switch (style) {
    case QTextCharFormat::NoUnderline: return 0;
    case QTextCharFormat::DotLine: return 4;
    case QTextCharFormat::DashUnderline: return 5;
    case QTextCharFormat::DashDotLine: return 6;
    case QTextCharFormat::DashDotDotLine: return 7;
    case QTextCharFormat::WaveUnderline:
    case QTextCharFormat::SpellCheckUnderline: return 8;
    default: return 1;
    }
}

TChange UnderlineChange(int type) {
    TChange change;
    change.set.setUnderlineStyle(UnderlineStyleOf(type));
    change.set.setProperty(RF::UnderlineTypeProperty, type);
    return change;
}

// Twips in a custom property, for measures the toolkit has no place for.
TChange TwipsSetting(int property, double points) { return Setting(property, Twips::FromPoints(points)); }

} // namespace

void TTextAttributes98::ApplyToRange(QTextDocument& document, int start, int end, const TChange& change,
                                     bool joinPrevious) {
    // Collect the pieces and their new formats first: setting a format merges and
    // frees fragments, so the walk must not run over the document it changes.
    struct Piece {
        int from, to;
        QTextCharFormat format;
    };
    std::vector<Piece> pieces;
    for (QTextBlock block = document.findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int from = std::max(start, fragment.position());
            const int to = std::min(end, fragment.position() + fragment.length());
            if (from < to) pieces.push_back({from, to, change.AppliedTo(fragment.charFormat())});
        }
    }
    QTextCursor cursor(&document);
    if (joinPrevious) cursor.joinPreviousEditBlock();
    else cursor.beginEditBlock();
    for (const Piece& piece : pieces) {
        cursor.setPosition(piece.from);
        cursor.setPosition(piece.to, QTextCursor::KeepAnchor);
        cursor.setCharFormat(piece.format);
    }
    cursor.endEditBlock();
}

namespace {

bool IsWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

// The word the caret stands inside (characters of the word on both sides), or an
// empty range.
std::pair<int, int> WordAroundCaret(const QTextCursor& caret) {
    const QTextBlock block = caret.block();
    const QString text = block.text();
    const int at = caret.positionInBlock();
    if (at <= 0 || at >= text.size() || !IsWordChar(text[at - 1]) || !IsWordChar(text[at])) return {0, 0};
    int from = at, to = at;
    while (from > 0 && IsWordChar(text[from - 1])) --from;
    while (to < text.size() && IsWordChar(text[to])) ++to;
    return {block.position() + from, block.position() + to};
}

} // namespace

void TTextAttributes98::TChange::Then(const TChange& next) {
    for (int property : next.clears) {
        set.clearProperty(property);
        if (std::find(clears.begin(), clears.end(), property) == clears.end()) clears.push_back(property);
    }
    const auto properties = next.set.properties();
    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        set.setProperty(it.key(), it.value());
        clears.erase(std::remove(clears.begin(), clears.end(), it.key()), clears.end());
    }
}

QTextCharFormat TTextAttributes98::TChange::AppliedTo(QTextCharFormat format) const {
    for (int property : clears) format.clearProperty(property);
    format.merge(set);
    return format;
}

// --- reading --------------------------------------------------------------------------

QTextCharFormat TTextAttributes98::Format() const {
    if (FKind == atDefaultText) return FDefaultFormat;
    const QTextCursor cursor = FOwner.textCursor();
    if (!cursor.hasSelection()) return FOwner.currentCharFormat();
    QTextCursor first(FOwner.document());
    first.setPosition(cursor.selectionStart());
    first.movePosition(QTextCursor::NextCharacter);
    return first.charFormat();
}

QFont TTextAttributes98::EffectiveFont() const {
    return Format().font().resolve(FOwner.document()->defaultFont());
}

TColor TTextAttributes98::Color() const {
    const QTextCharFormat format = Format();
    if (!format.hasProperty(QTextFormat::ForegroundBrush) || format.foreground().style() == Qt::NoBrush)
        return clWindowText;
    return format.foreground().color();
}

std::string TTextAttributes98::Name() const {
    return RichEditText::UnicodeToAnsi(EffectiveFont().family(), FOwner.CodePage());
}

int TTextAttributes98::Size() const {
    const QFont font = EffectiveFont();
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 0.75;
    return Twips::FromPoints(points) / 20;
}

TFontStyles TTextAttributes98::Style() const {
    TFontStyles style = 0;
    if (Bold()) style |= fsBold;
    if (Italic()) style |= fsItalic;
    if (UnderlineType() != 0) style |= fsUnderline;
    if (StrikeOut()) style |= fsStrikeOut;
    return style;
}

TFontPitch TTextAttributes98::Pitch() const {
    const QTextCharFormat format = Format();
    if (!format.hasProperty(QTextFormat::FontFixedPitch)) return fpDefault;
    return format.fontFixedPitch() ? fpFixed : fpVariable;
}

int TTextAttributes98::Weight() const { return EffectiveFont().weight(); }

TColor TTextAttributes98::BackColor() const {
    const QTextCharFormat format = Format();
    if (!format.hasProperty(QTextFormat::BackgroundBrush) || format.background().style() == Qt::NoBrush)
        return clNone;
    return format.background().color();
}

int TTextAttributes98::LocaleId() const {
    const QTextCharFormat format = Format();
    return format.hasProperty(RF::LocaleIdProperty) ? format.intProperty(RF::LocaleIdProperty) : FOwner.Language();
}

int TTextAttributes98::ScriptPosition() const {
    switch (Format().verticalAlignment()) {
    case QTextCharFormat::AlignSubScript: return 1;
    case QTextCharFormat::AlignSuperScript: return 2;
    default: return 0;
    }
}

double TTextAttributes98::Offset() const { return Twips::ToPoints(Format().intProperty(RF::OffsetTwipsProperty)); }

double TTextAttributes98::Spacing() const {
    const QTextCharFormat format = Format();
    if (format.fontLetterSpacingType() != QFont::AbsoluteSpacing) return 0;
    return Twips::ToPoints(TwipsOfUnits(format.fontLetterSpacing()));
}

double TTextAttributes98::Kerning() const { return Twips::ToPoints(Format().intProperty(RF::KerningTwipsProperty)); }

int TTextAttributes98::UnderlineType() const {
    const QTextCharFormat format = Format();
    const QTextCharFormat::UnderlineStyle style = format.hasProperty(QTextFormat::TextUnderlineStyle)
                                                      ? format.underlineStyle()
                                                      : (EffectiveFont().underline() ? QTextCharFormat::SingleUnderline
                                                                                      : QTextCharFormat::NoUnderline);
    if (style == QTextCharFormat::NoUnderline) return 0;
    if (format.hasProperty(RF::UnderlineTypeProperty)) {
        const int stored = format.intProperty(RF::UnderlineTypeProperty);
        if (stored != 0 && UnderlineStyleOf(stored) == style) return stored;
    }
    return UnderlineTypeOf(style);
}

int TTextAttributes98::Animation() const { return Format().intProperty(RF::AnimationProperty); }
bool TTextAttributes98::Bold() const { return EffectiveFont().weight() >= QFont::DemiBold; }
bool TTextAttributes98::Italic() const { return EffectiveFont().italic(); }
bool TTextAttributes98::StrikeOut() const { return EffectiveFont().strikeOut(); }
bool TTextAttributes98::Link() const { return Format().isAnchor(); }
bool TTextAttributes98::SmallCaps() const { return Format().fontCapitalization() == QFont::SmallCaps; }
bool TTextAttributes98::AllCaps() const { return Format().fontCapitalization() == QFont::AllUppercase; }
bool TTextAttributes98::Hidden() const { return Format().boolProperty(RtfEngine::kHiddenTextProperty); }
bool TTextAttributes98::Outline() const { return Format().boolProperty(RF::OutlineProperty); }
bool TTextAttributes98::Shadow() const { return Format().boolProperty(RF::ShadowProperty); }
bool TTextAttributes98::Emboss() const { return Format().boolProperty(RF::EmbossProperty); }
bool TTextAttributes98::Imprint() const { return Format().boolProperty(RF::ImprintProperty); }

// --- writing --------------------------------------------------------------------------

namespace {

TChange ColorChange(const TColor& value) {
    if (!value.isValid()) return Clearing(QTextFormat::ForegroundBrush);
    return Setting(QTextFormat::ForegroundBrush, QBrush(QColor(value.rgb())));
}

TChange NameChange(const QString& name) {
    TChange change = Clearing(QTextFormat::FontFamily);
    change.set.setProperty(QTextFormat::FontFamilies, QStringList{name});
    return change;
}

TChange WeightChange(int weight) { return Setting(QTextFormat::FontWeight, weight); }

TChange BoolChange(int property, bool value) { return Setting(property, value); }

TChange StyleChange(TFontStyles style) {
    TChange change = WeightChange((style & fsBold) ? QFont::Bold : QFont::Normal);
    change.Then(BoolChange(QTextFormat::FontItalic, (style & fsItalic) != 0));
    change.Then(BoolChange(QTextFormat::FontStrikeOut, (style & fsStrikeOut) != 0));
    change.Then(UnderlineChange((style & fsUnderline) ? 1 : 0));
    return change;
}

TChange PitchChange(TFontPitch pitch) {
    if (pitch == fpDefault) return Clearing(QTextFormat::FontFixedPitch);
    return Setting(QTextFormat::FontFixedPitch, pitch == fpFixed);
}

TChange CapitalizationChange(const QTextCharFormat& current, QFont::Capitalization wanted, bool on) {
    if (on) return Setting(QTextFormat::FontCapitalization, static_cast<int>(wanted));
    if (current.fontCapitalization() == wanted) return Clearing(QTextFormat::FontCapitalization);
    return {};
}

} // namespace

void TTextAttributes98::SetColor(const TColor& value) { Apply(ColorChange(value)); }
void TTextAttributes98::SetName(const std::string& value) {
    Apply(NameChange(RichEditText::AnsiToUnicode(value, FOwner.CodePage())));
}
void TTextAttributes98::SetSize(int value) { Apply(Setting(QTextFormat::FontPointSize, Twips::ToPoints(value * 20))); }
void TTextAttributes98::SetStyle(TFontStyles value) { Apply(StyleChange(value)); }
void TTextAttributes98::SetPitch(TFontPitch value) { Apply(PitchChange(value)); }
void TTextAttributes98::SetWeight(int value) { Apply(WeightChange(value)); }
void TTextAttributes98::SetBackColor(const TColor& value) {
    if (!value.isValid() || value.alpha() == 0) Apply(Clearing(QTextFormat::BackgroundBrush));
    else Apply(Setting(QTextFormat::BackgroundBrush, QBrush(QColor(value.rgb()))));
}
void TTextAttributes98::SetLocaleId(int value) { Apply(Setting(RF::LocaleIdProperty, value & 0xFFFF)); }
void TTextAttributes98::SetScriptPosition(int value) {
    const auto alignment = value == 1   ? QTextCharFormat::AlignSubScript
                           : value == 2 ? QTextCharFormat::AlignSuperScript
                                        : QTextCharFormat::AlignNormal;
    Apply(Setting(QTextFormat::TextVerticalAlignment, static_cast<int>(alignment)));
}
void TTextAttributes98::SetOffset(double value) { Apply(TwipsSetting(RF::OffsetTwipsProperty, value)); }
void TTextAttributes98::SetSpacing(double value) {
    TChange change = Setting(QTextFormat::FontLetterSpacingType, static_cast<int>(QFont::AbsoluteSpacing));
    change.Then(Setting(QTextFormat::FontLetterSpacing, Twips::FromPoints(value) / RtfEngine::kTwipsPerUnit));
    Apply(change);
}
void TTextAttributes98::SetKerning(double value) {
    TChange change = TwipsSetting(RF::KerningTwipsProperty, std::fabs(value));
    change.Then(BoolChange(QTextFormat::FontKerning, Twips::FromPoints(value) != 0));
    Apply(change);
}
void TTextAttributes98::SetUnderlineType(int value) { Apply(UnderlineChange(value & 0xFF)); }
void TTextAttributes98::SetAnimation(int value) { Apply(Setting(RF::AnimationProperty, value & 0xFF)); }
void TTextAttributes98::SetBold(bool value) { Apply(WeightChange(value ? QFont::Bold : QFont::Normal)); }
void TTextAttributes98::SetItalic(bool value) { Apply(BoolChange(QTextFormat::FontItalic, value)); }
void TTextAttributes98::SetStrikeOut(bool value) { Apply(BoolChange(QTextFormat::FontStrikeOut, value)); }
void TTextAttributes98::SetLink(bool value) {
    TChange change = BoolChange(QTextFormat::IsAnchor, value);
    if (!value) change.Then(Clearing(QTextFormat::AnchorHref));
    Apply(change);
}
void TTextAttributes98::SetSmallCaps(bool value) {
    Apply(CapitalizationChange(Format(), QFont::SmallCaps, value));
}
void TTextAttributes98::SetAllCaps(bool value) { Apply(CapitalizationChange(Format(), QFont::AllUppercase, value)); }
void TTextAttributes98::SetHidden(bool value) { Apply(BoolChange(RtfEngine::kHiddenTextProperty, value)); }
void TTextAttributes98::SetOutline(bool value) { Apply(BoolChange(RF::OutlineProperty, value)); }
void TTextAttributes98::SetShadow(bool value) { Apply(BoolChange(RF::ShadowProperty, value)); }
void TTextAttributes98::SetEmboss(bool value) { Apply(BoolChange(RF::EmbossProperty, value)); }
void TTextAttributes98::SetImprint(bool value) { Apply(BoolChange(RF::ImprintProperty, value)); }

void TTextAttributes98::Apply(const TChange& change) {
    if (change.set.properties().isEmpty() && change.clears.empty()) return;
    if (FKind == atDefaultText) ApplyToDefault(change);
    else ApplyToSelection(change);
}

void TTextAttributes98::ApplyToSelection(const TChange& change) {
    const QTextCursor cursor = FOwner.textCursor();
    QTextDocument& document = *FOwner.document();
    if (cursor.hasSelection()) {
        ApplyToRange(document, cursor.selectionStart(), cursor.selectionEnd(), change);
        return;
    }
    if (FOwner.WordFormatting()) {
        const auto [from, to] = WordAroundCaret(cursor);
        if (from < to) ApplyToRange(document, from, to, change);
    }
    FOwner.setCurrentCharFormat(change.AppliedTo(FOwner.currentCharFormat()));
}

void TTextAttributes98::ApplyToDefault(const TChange& change) {
    FDefaultFormat = change.AppliedTo(FDefaultFormat);
    QTextDocument& document = *FOwner.document();
    document.setDefaultFont(FDefaultFormat.font().resolve(document.defaultFont()));
    // The default colour is the colour of text that has none of its own.
    QPalette palette = FOwner.palette();
    const QColor text = FDefaultFormat.hasProperty(QTextFormat::ForegroundBrush)
                            ? FDefaultFormat.foreground().color()
                            : QPalette().color(QPalette::Text);
    if (palette.color(QPalette::Text) != text) {
        palette.setColor(QPalette::Text, text);
        FOwner.setPalette(palette);
    }
}

// --- copying --------------------------------------------------------------------------

void TTextAttributes98::Assign(const TTextAttributes98& source) {
    if (&source == this) return;
    TChange all = ColorChange(source.Color());
    all.Then(NameChange(source.EffectiveFont().family()));
    all.Then(Setting(QTextFormat::FontPointSize, Twips::ToPoints(source.Size() * 20)));
    all.Then(PitchChange(source.Pitch()));
    all.Then(WeightChange(source.Weight()));
    const TColor back = source.BackColor();
    all.Then(back.alpha() == 0 ? Clearing(QTextFormat::BackgroundBrush)
                               : Setting(QTextFormat::BackgroundBrush, QBrush(back)));
    all.Then(Setting(RF::LocaleIdProperty, source.LocaleId()));
    const QTextCharFormat format = source.Format();
    for (int property : {int(QTextFormat::TextVerticalAlignment), int(RF::OffsetTwipsProperty),
                         int(QTextFormat::FontLetterSpacingType), int(QTextFormat::FontLetterSpacing),
                         int(RF::KerningTwipsProperty), int(QTextFormat::FontKerning)})
        all.Then(format.hasProperty(property) ? Setting(property, format.property(property)) : Clearing(property));
    all.Then(UnderlineChange(source.UnderlineType()));
    all.Then(WeightChange(source.Bold() ? std::max(source.Weight(), int(QFont::Bold))
                                        : std::min(source.Weight(), int(QFont::Normal))));
    all.Then(BoolChange(QTextFormat::FontItalic, source.Italic()));
    all.Then(BoolChange(QTextFormat::FontStrikeOut, source.StrikeOut()));
    all.Then(Setting(RF::AnimationProperty, source.Animation()));
    all.Then(format.hasProperty(QTextFormat::FontCapitalization)
                 ? Setting(QTextFormat::FontCapitalization, format.property(QTextFormat::FontCapitalization))
                 : Clearing(QTextFormat::FontCapitalization));
    all.Then(BoolChange(RtfEngine::kHiddenTextProperty, source.Hidden()));
    all.Then(BoolChange(RF::OutlineProperty, source.Outline()));
    all.Then(BoolChange(RF::ShadowProperty, source.Shadow()));
    all.Then(BoolChange(RF::EmbossProperty, source.Emboss()));
    all.Then(BoolChange(RF::ImprintProperty, source.Imprint()));
    all.Then(BoolChange(QTextFormat::IsAnchor, source.Link()));
    Apply(all);
}

namespace {

TFontPitch PitchOfFont(const QFont& font) {
    if (!(font.resolveMask() & QFont::FamilyResolved) && !font.fixedPitch()) return fpDefault;
    return font.fixedPitch() ? fpFixed : fpVariable;
}

TChange FontChange(const QFont& font) {
    TChange change = NameChange(font.family());
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 0.75;
    change.Then(Setting(QTextFormat::FontPointSize, Twips::ToPoints(Twips::FromPoints(points) / 20 * 20)));
    change.Then(PitchChange(PitchOfFont(font)));
    change.Then(WeightChange(font.bold() ? QFont::Bold : QFont::Normal));
    change.Then(BoolChange(QTextFormat::FontItalic, font.italic()));
    change.Then(BoolChange(QTextFormat::FontStrikeOut, font.strikeOut()));
    change.Then(UnderlineChange(font.underline() ? 1 : 0));
    return change;
}

} // namespace

void TTextAttributes98::Assign(const QFont& source) { Apply(FontChange(source)); }

void TTextAttributes98::Assign(const QTextCharFormat& source) {
    TChange change = source.hasProperty(QTextFormat::ForegroundBrush) ? ColorChange(source.foreground().color())
                                                                       : ColorChange(clWindowText);
    change.Then(FontChange(source.font().resolve(FOwner.document()->defaultFont())));
    Apply(change);
}

void TTextAttributes98::AssignTo(QFont& destination) const {
    destination.setFamily(EffectiveFont().family());
    destination.setBold(Bold());
    destination.setItalic(Italic());
    destination.setUnderline(UnderlineType() != 0);
    destination.setStrikeOut(false); // the style carries bold, italic and underline only
    destination.setPointSize(std::max(1, Size()));
    const TFontPitch pitch = Pitch();
    if (pitch != fpDefault) destination.setFixedPitch(pitch == fpFixed);
}

void TTextAttributes98::AssignTo(QTextCharFormat& destination) const {
    const TColor color = Color();
    if (color.isValid()) destination.setForeground(color);
    else destination.clearForeground();
    QFont font = destination.font();
    AssignTo(font);
    destination.setFontFamilies(QStringList{font.family()});
    destination.setFontPointSize(font.pointSizeF());
    destination.setFontWeight(font.weight());
    destination.setFontItalic(font.italic());
    destination.setUnderlineStyle(font.underline() ? QTextCharFormat::SingleUnderline : QTextCharFormat::NoUnderline);
    if (Pitch() != fpDefault) destination.setFontFixedPitch(font.fixedPitch());
}
