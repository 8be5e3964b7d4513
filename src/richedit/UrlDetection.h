// Link schemes of the rich edit control and the rules that decide what text is a link.
#pragma once
#include <QColor>
#include <QString>
#include <Qt>
#include <string>
#include <vector>

// Colours as the control's properties carry them. clWindowText is the automatic text
// colour (no explicit colour), clNone "no colour" (no background).
using TColor = QColor;
inline const TColor clWindowText = QColor();
inline const TColor clNone = QColor(0, 0, 0, 0);
inline const TColor clBlack = QColor(0, 0, 0);
inline const TColor clBlue = QColor(0, 0, 255);

// Cursor numbers; 0 means "none of its own".
using TCursor = int;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crHandPoint = -21;
Qt::CursorShape CursorShape(TCursor cursor);

struct TURLType {
    std::string Name;
    TColor Color = clWindowText;
    TCursor Cursor = crDefault;
    bool Underline = true;
};

// The first entry stands for e-mail addresses; every later one is a scheme that a link
// starts with as Name followed by ":".
class TURLCollection {
public:
    // The twelve schemes a new control gets.
    static TURLCollection Defaults();

    int Count() const { return static_cast<int>(FItems.size()); }
    bool Empty() const { return FItems.empty(); }
    const TURLType& Item(int index) const { return FItems.at(index); }
    // Adds the entry, or updates colour, cursor and underline of the entry whose Name
    // is the same (case-sensitive).
    void Add(const TURLType& entry);
    void Clear() { FItems.clear(); }
    void Assign(const TURLCollection& source);

    // The entry whose scheme starts the word, or the e-mail entry; nullptr when the
    // word is no link. `upperWord` is a run of link characters, upper-cased.
    const TURLType* Classify(const QString& upperWord) const;
    // The entry a link text belongs to (scheme before the first ":", or e-mail).
    const TURLType* EntryOfLink(const QString& linkText) const;

private:
    std::vector<TURLType> FItems;
};

namespace UrlDetection {

// ".", "/", digits, ":", "@", A-Z, a-z and "\".
bool IsLinkChar(QChar c);

// Whether the word is an e-mail address: "@" after the first character and before the
// last, and "." after the first character of the part after the "@".
bool IsEmailAddress(const QString& word);

} // namespace UrlDetection
