#include "window/CheckMarkersDialog.h"

#include "platform/Cp1252.h"
#include "richedit/RichEditStrings98.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstdlib>

namespace {

QString Text(std::string_view bytes) { return RichEditText::AnsiToUnicode(bytes, 1252); }

QString KindCaption(const TCheckFinding& f) {
    switch (f.kind) {
    case TFindingKind::Replaced: return "replaced";
    case TFindingKind::MissingValue: return "missing value";
    case TFindingKind::SplitMarker: return "split by formatting: meant " + Text(f.meant);
    case TFindingKind::Refused: return "refused";
    case TFindingKind::NotEvaluated: return "does not evaluate";
    case TFindingKind::Unused: return "not used";
    }
    return {};
}

QString Information(const TCheckFinding& f) {
    if (f.line < 1) return {};
    if (f.kind == TFindingKind::MissingValue) return QString("no line %1 in the information file").arg(f.line + 1);
    return QString("line %1: %2 = %3").arg(f.line).arg(Text(f.heading), Text(f.value));
}

// The reason on one line, the merge's ";" separators as spaces.
QString OneLine(const std::string& reason) { return Text(reason).replace(';', ' ').simplified(); }

// The editor's text as the check renders a template: paragraphs as "¶", tabs,
// line breaks and hard spaces as spaces, characters outside the code page as "?".
QString Comparable(const QString& raw) {
    QString out = raw;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u == QChar::ParagraphSeparator) c = QChar(0xB6);
        else if (u == '\t' || u == QChar::LineSeparator || u == 0xA0) c = QChar(' ');
        else if (u >= 0x80 && Platform::UnicodeToByte(u, 0) == 0) c = QChar('?');
    }
    return out;
}

} // namespace

TCheckMarkersDialog::TCheckMarkersDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("CheckMarkersDialog1");
    setWindowTitle("Check Markers");
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    Summary = new QLabel(this);
    Summary->setObjectName("Summary");
    Summary->setWordWrap(true);
    layout->addWidget(Summary);
    Findings = new QTreeWidget(this);
    Findings->setObjectName("Findings");
    Findings->setRootIsDecorated(false);
    Findings->setHeaderLabels({"Marker", "Finding", "Information", "Text around", "Reason"});
    Findings->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(Findings);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(Findings, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        const int index = item->data(0, Qt::UserRole).toInt();
        if (OnFindingActivated && index >= 0 && index < int(FReport.findings.size()))
            OnFindingActivated(FReport.findings[size_t(index)]);
    });
    resize(900, 400);
}

void TCheckMarkersDialog::SetReport(TCheckReport report) {
    FReport = std::move(report);
    Findings->clear();
    // Problems first, then notes, then what the merge simply replaces.
    auto rank = [](const TCheckFinding& f) {
        switch (f.kind) {
        case TFindingKind::Replaced: return 3;
        case TFindingKind::NotEvaluated: return 2;
        case TFindingKind::Unused: return 1;
        default: return 0;
        }
    };
    for (int pass = 0; pass <= 3; ++pass) {
        for (size_t i = 0; i < FReport.findings.size(); ++i) {
            const TCheckFinding& f = FReport.findings[i];
            if (rank(f) != pass) continue;
            auto* item = new QTreeWidgetItem(Findings);
            item->setText(0, Text(f.marker) + (f.via.empty() ? QString() : " (in " + Text(f.via) + ")"));
            item->setText(1, KindCaption(f));
            item->setText(2, Information(f));
            if (f.position != std::string::npos) item->setText(3, "\u2026" + Text(f.before) + "\u25B8" + Text(f.after) + "\u2026");
            item->setText(4, OneLine(f.reason));
            item->setData(0, Qt::UserRole, int(i));
        }
    }
    const TCheckFinding* stop = FReport.FirstStop();
    QString summary = stop ? "The merge would stop at " + Text(stop->marker) + "."
                           : (FReport.Clean() ? QString("The merge would succeed.")
                                              : QString("The merge would succeed, but see the problems below."));
    summary += QString(" %1 markers replaced, %2 split, %3 missing or refused, %4 information pairs not used.")
                   .arg(FReport.Count(TFindingKind::Replaced))
                   .arg(FReport.Count(TFindingKind::SplitMarker))
                   .arg(FReport.Count(TFindingKind::MissingValue) + FReport.Count(TFindingKind::Refused))
                   .arg(FReport.Count(TFindingKind::Unused));
    Summary->setText(summary);
}

int FindingPosition(const QString& editorText, const TCheckFinding& f, int* length) {
    if (f.position == std::string::npos) return -1;
    const QString text = Comparable(editorText);
    const QString before = Text(f.before), after = Text(f.after);
    // What the reader sees of the marker: "@" and the digits after it.
    int shown = after.startsWith('@') ? 1 : 0;
    while (shown < after.size() && after[shown].isDigit()) ++shown;
    const QString marker = after.left(std::max(shown, 1));
    const long estimate = long(f.visibleIndex);
    // The widest context that can be found, nearest the place the check estimates.
    const std::pair<QString, int> needles[] = {{before + after, int(before.size())}, {after, 0}, {marker, 0}};
    for (const auto& [needle, offset] : needles) {
        if (needle.isEmpty()) continue;
        int best = -1;
        for (qsizetype at = text.indexOf(needle); at >= 0; at = text.indexOf(needle, at + 1)) {
            const int candidate = int(at) + offset;
            if (best < 0 || std::labs(candidate - estimate) < std::labs(best - estimate)) best = candidate;
        }
        if (best >= 0) {
            if (length) *length = int(marker.size());
            return best;
        }
    }
    return -1;
}
