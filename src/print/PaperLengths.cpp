#include "print/PaperLengths.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <cmath>
#include <initializer_list>
#include <vector>

namespace Print {
namespace {

// Scales the given real-valued properties that `format` holds; true when any was there.
bool ScaleReals(QTextFormat& format, std::initializer_list<int> properties, qreal factor) {
    bool any = false;
    for (const int property : properties) {
        if (!format.hasProperty(property) || format.doubleProperty(property) == 0) continue;
        format.setProperty(property, format.doubleProperty(property) * factor);
        any = true;
    }
    return any;
}

bool ScaleCharacters(QTextCharFormat& format, qreal factor) {
    bool any = ScaleReals(format, {QTextFormat::FontWordSpacing}, factor);
    if (format.hasProperty(QTextFormat::FontPixelSize)) {
        format.setProperty(QTextFormat::FontPixelSize,
                           std::max(1, int(std::lround(format.intProperty(QTextFormat::FontPixelSize) * factor))));
        any = true;
    }
    return any;
}

struct TBlockChange {
    int position;
    QTextBlockFormat format;
};
struct TCharChange {
    int start, end;
    QTextCharFormat format;
};

} // namespace

void ScaleLengths(QTextDocument& document, qreal factor) {
    // Changes are gathered first: applying them splits and merges fragments.
    std::vector<TBlockChange> blocks;
    std::vector<TCharChange> characters;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat format = block.blockFormat();
        if (ScaleReals(format, {QTextFormat::BlockLeftMargin, QTextFormat::BlockRightMargin, QTextFormat::TextIndent},
                       factor))
            blocks.push_back({block.position(), format});
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat characterFormat = fragment.charFormat();
            if (fragment.isValid() && ScaleCharacters(characterFormat, factor))
                characters.push_back({fragment.position(), fragment.position() + fragment.length(), characterFormat});
        }
    }
    QTextCursor cursor(&document);
    for (const TBlockChange& change : blocks) {
        cursor.setPosition(change.position);
        cursor.setBlockFormat(change.format);
    }
    for (const TCharChange& change : characters) {
        cursor.setPosition(change.start);
        cursor.setPosition(change.end, QTextCursor::KeepAnchor);
        cursor.setCharFormat(change.format);
    }
    QFont font = document.defaultFont();
    if (font.pixelSize() > 0) {
        font.setPixelSize(std::max(1, int(std::lround(font.pixelSize() * factor))));
        document.setDefaultFont(font);
    }
}

} // namespace Print
