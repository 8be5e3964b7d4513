// The ruler's pieces: the indent markers and the caption that draws the tab ticks.
#pragma once
#include <QLabel>
#include <QString>
#include <QWidget>

// An indent marker: a label showing one "Wingdings" character. Where that font is not
// installed the label draws the character's shape (a small triangle) itself.
class TRulerMarker : public QLabel {
    Q_OBJECT
public:
    enum TPointing { mpDown, mpUp };

    TRulerMarker(QWidget* ruler, const char* name, int wingdingsChar, TPointing pointing, const QRect& geometry);

    TPointing Pointing() const { return FPointing; }
    // True when the "Wingdings" face is present and the label shows its character.
    bool ShowsWingdings() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TPointing FPointing;
};

// The ruler panel's face: a raised bevel and the left-justified caption, whose tabs
// are expanded to the panel's tab stops (eight average character widths apart), so
// a caption of tabs and "|" draws tick marks.
class TRulerCaption : public QWidget {
    Q_OBJECT
public:
    explicit TRulerCaption(QWidget* ruler);

    const QString& Caption() const { return FCaption; }
    void SetCaption(const QString& caption);
    // Distance between two tab stops in pixels for the current font.
    int TabStopWidth() const;
    // Left edge of the caption's text.
    static constexpr int kTextLeft = 1;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString FCaption;
};
