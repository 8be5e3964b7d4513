// File types for a file dialog written as Windows writes them: "Rich Text Files (*.RTF)"
// or "Html File(*.htm,*.html)". Qt splits patterns at spaces only and, on this
// platform, matches them case by case; this filter lists the files of the chosen type
// with the patterns split at commas, semicolons or spaces, in any case.
#pragma once
#include <QSortFilterProxyModel>
#include <QStringList>

class QFileDialog;

namespace Dialogs {

// The wildcard patterns in the last parentheses of a file type's text.
QStringList FileTypePatterns(const QString& fileType);
// Whether a file name matches one of the patterns, in any case.
bool MatchesFileType(const QStringList& patterns, const QString& fileName);

class TFileTypeFilter : public QSortFilterProxyModel {
public:
    explicit TFileTypeFilter(QFileDialog* dialog);
    Qt::ItemFlags flags(const QModelIndex& index) const override;

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override;

private:
    bool IsListedFile(const QModelIndex& sourceIndex) const;
    QFileDialog* FDialog;
};

// Shows `fileTypes` in the dialog exactly as written and lists files by them.
void SetFileTypes(QFileDialog* dialog, const QStringList& fileTypes);

} // namespace Dialogs
