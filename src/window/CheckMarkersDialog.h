// "Check Markers": the marker check's findings in a list beside the editor.
// Double-clicking a finding shows its place; the template is never changed.
#pragma once
#include <QDialog>
#include <functional>

#include "assembly/CheckTemplate.h"

class QLabel;
class QTreeWidget;

class TCheckMarkersDialog : public QDialog {
    Q_OBJECT
public:
    explicit TCheckMarkersDialog(QWidget* parent = nullptr);

    // Shows a fresh report.
    void SetReport(TCheckReport report);
    const TCheckReport& Report() const { return FReport; }

    // Called with the finding the user double-clicked (or chose with Enter).
    std::function<void(const TCheckFinding&)> OnFindingActivated;

    QLabel* Summary = nullptr;
    QTreeWidget* Findings = nullptr;

private:
    TCheckReport FReport;
};

// Where a finding's marker stands in an editor's text (the document's raw text,
// one character per position): its start, or -1 when the text around it cannot
// be found; `length` receives the number of characters the marker shows.
int FindingPosition(const QString& editorText, const TCheckFinding& finding, int* length);
