// Paragraph attributes of the rich edit control (ParagraphAttributes): indents in
// points (whole twips inside), alignment and numbering of the selection's paragraphs.
#pragma once

class TCustomRichEdit98;
class QTextBlockFormat;

class TParaAttributes98 {
public:
    explicit TParaAttributes98(TCustomRichEdit98& owner) : FOwner(owner) {}

    // Indent of the first line from the left margin.
    double FirstIndent() const;
    void SetFirstIndent(double value);
    // Indent of the following lines relative to the first line.
    double LeftIndent() const;
    void SetLeftIndent(double value);
    double RightIndent() const;
    void SetRightIndent(double value);
    // 0 left, 1 right, 2 centre, 3 justified.
    int Alignment() const;
    void SetAlignment(int value);
    // 0 none, 1 bullet, 2 arabic numbers, 3/4 lower/upper letters, 5/6 lower/upper roman.
    int Numbering() const;
    void SetNumbering(int value);

private:
    QTextBlockFormat Current() const;
    template <typename Change>
    void ForEachParagraph(Change change);
    TCustomRichEdit98& FOwner;
};
