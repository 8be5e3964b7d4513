#include "dialogs/FileTypeFilter.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QRegularExpression>

namespace Dialogs {

QStringList FileTypePatterns(const QString& fileType) {
    const qsizetype open = fileType.lastIndexOf('(');
    const qsizetype close = fileType.lastIndexOf(')');
    if (open < 0 || close < open) return {};
    static const QRegularExpression separators("[,; ]+");
    return fileType.mid(open + 1, close - open - 1).split(separators, Qt::SkipEmptyParts);
}

bool MatchesFileType(const QStringList& patterns, const QString& fileName) {
    for (const QString& pattern : patterns) {
        const QRegularExpression wildcard(QRegularExpression::wildcardToRegularExpression(pattern),
                                          QRegularExpression::CaseInsensitiveOption);
        if (wildcard.match(fileName).hasMatch()) return true;
    }
    return false;
}

TFileTypeFilter::TFileTypeFilter(QFileDialog* dialog) : QSortFilterProxyModel(dialog), FDialog(dialog) {}

bool TFileTypeFilter::IsListedFile(const QModelIndex& sourceIndex) const {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (!files || files->isDir(sourceIndex)) return false;
    return MatchesFileType(FileTypePatterns(FDialog->selectedNameFilter()), files->fileName(sourceIndex));
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
