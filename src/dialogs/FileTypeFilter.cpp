#include "dialogs/FileTypeFilter.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QRegularExpression>

#include <algorithm>

namespace Dialogs {

namespace {

// The wildcard patterns in the last parentheses of a file type's text, split at commas,
// semicolons or spaces, each matching in any case.
QList<QRegularExpression> FileTypeWildcards(const QString& fileType) {
    const qsizetype open = fileType.lastIndexOf('(');
    const qsizetype close = fileType.lastIndexOf(')');
    if (open < 0 || close < open) return {};
    static const QRegularExpression separators("[,; ]+");
    QList<QRegularExpression> wildcards;
    for (const QString& pattern : fileType.mid(open + 1, close - open - 1).split(separators, Qt::SkipEmptyParts))
        wildcards << QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern),
                                        QRegularExpression::CaseInsensitiveOption);
    return wildcards;
}

} // namespace

TFileTypeFilter::TFileTypeFilter(QFileDialog* dialog) : QSortFilterProxyModel(dialog), FDialog(dialog) {}

// Compiled once per chosen type: the view asks for every row's flags at every repaint.
const QList<QRegularExpression>& TFileTypeFilter::Wildcards() const {
    const QString fileType = FDialog->selectedNameFilter();
    if (fileType != FFileType) {
        FFileType = fileType;
        FWildcards = FileTypeWildcards(fileType);
    }
    return FWildcards;
}

bool TFileTypeFilter::IsListedFile(const QModelIndex& sourceIndex) const {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (!files || files->isDir(sourceIndex)) return false;
    const QString name = files->fileName(sourceIndex);
    const QList<QRegularExpression>& wildcards = Wildcards();
    return std::any_of(wildcards.begin(), wildcards.end(),
                       [&](const QRegularExpression& wildcard) { return wildcard.match(name).hasMatch(); });
}

bool TFileTypeFilter::filterAcceptsRow(int row, const QModelIndex& parent) const {
    const QModelIndex index = sourceModel()->index(row, 0, parent);
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    return (files && files->isDir(index)) || IsListedFile(index);
}

// The dialog's own matching leaves files of another case disabled; a listed file is chosen as any.
Qt::ItemFlags TFileTypeFilter::flags(const QModelIndex& index) const {
    Qt::ItemFlags result = QSortFilterProxyModel::flags(index);
    if (IsListedFile(mapToSource(index))) result |= Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return result;
}

void SetFileTypes(QFileDialog* dialog, const QStringList& fileTypes) {
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setNameFilters(fileTypes);
    if (auto* files = dialog->findChild<QFileSystemModel*>()) files->setNameFilterDisables(true);
    auto* filter = new TFileTypeFilter(dialog);
    dialog->setProxyModel(filter);
    if (auto* types = dialog->findChild<QComboBox*>("fileTypeCombo"))
        QObject::connect(types, &QComboBox::currentIndexChanged, filter, [filter] { filter->invalidate(); });
}

} // namespace Dialogs
