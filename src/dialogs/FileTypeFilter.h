// File types for a file dialog written as Windows writes them: "Rich Text Files (*.RTF)"
// or "Html File(*.htm,*.html)". Qt splits patterns at spaces only and, on this
// platform, matches them case by case; this filter lists the files of the chosen type
// with the patterns split at commas, semicolons or spaces, in any case.
#pragma once
#include <QList>
#include <QRegularExpression>
#include <QSortFilterProxyModel>
#include <QStringList>

class QFileDialog;

namespace Dialogs {

class TFileTypeFilter : public QSortFilterProxyModel {
public:
    explicit TFileTypeFilter(QFileDialog* dialog);
    Qt::ItemFlags flags(const QModelIndex& index) const override;

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override;

private:
    const QList<QRegularExpression>& Wildcards() const;
    bool IsListedFile(const QModelIndex& sourceIndex) const;
    QFileDialog* FDialog;
    // The chosen type's patterns, kept until another type is chosen.
    mutable QString FFileType;
    mutable QList<QRegularExpression> FWildcards;
};

// Shows `fileTypes` in the dialog exactly as written and lists files by them.
void SetFileTypes(QFileDialog* dialog, const QStringList& fileTypes);

} // namespace Dialogs
