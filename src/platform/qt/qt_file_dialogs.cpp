#include "platform/qt/qt_file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QRegularExpression>
#include <QSortFilterProxyModel>
#include <QStringList>

namespace tavrin {
namespace {

QString FilterText(const FileFilter& filter) {
  QString patterns = QString::fromStdString(filter.patterns);
  patterns.replace(';', ' ');
  return QString::fromStdString(filter.description) + " (" + patterns + ")";
}

// Lists folders, files whose names match the selected filter's patterns and, for a
// filter of programs, every file that may be executed.
class ProgramsProxy : public QSortFilterProxyModel {
 public:
  ProgramsProxy(QFileDialog* dialog, std::vector<FileFilter> filters)
      : dialog_(dialog), filters_(std::move(filters)) {}

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    const QModelIndex index = sourceModel()->index(row, 0, parent);
    const auto* model = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (!model) return true;
    const QFileInfo info = model->fileInfo(index);
    if (info.isDir()) return true;
    const auto selected = dialog_->nameFilters().indexOf(dialog_->selectedNameFilter());
    if (selected < 0 || selected >= static_cast<qsizetype>(filters_.size())) return true;
    const FileFilter& filter = filters_[static_cast<std::size_t>(selected)];
    if (filter.programs && info.isExecutable()) return true;
    const QStringList patterns = QString::fromStdString(filter.patterns).split(';');
    for (const QString& p : patterns) {
      if (QRegularExpression::fromWildcard(p.trimmed(), Qt::CaseInsensitive)
              .match(info.fileName())
              .hasMatch()) {
        return true;
      }
    }
    return false;
  }

 private:
  QFileDialog* dialog_;
  std::vector<FileFilter> filters_;
};

bool HasProgramsFilter(const FileDialogRequest& request) {
  for (const auto& f : request.filters) {
    if (f.programs) return true;
  }
  return false;
}

}  // namespace

bool QtFileDialogs::Show(const FileDialogRequest& request, std::string& chosen) {
  QFileDialog dialog(owner_);
  // Qt's own dialog: the same on every desktop, and the type list can follow the
  // rules of this program.
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
  dialog.setDefaultSuffix(QString());
  QStringList filters;
  for (const auto& f : request.filters) filters << FilterText(f);
  dialog.setNameFilters(filters);
  if (request.filterIndex >= 1 && request.filterIndex <= filters.size()) {
    dialog.selectNameFilter(filters[request.filterIndex - 1]);
  }
  if (HasProgramsFilter(request)) {
    auto* proxy = new ProgramsProxy(&dialog, request.filters);
    dialog.setProxyModel(proxy);
    QObject::connect(&dialog, &QFileDialog::filterSelected, proxy,
                     [proxy] { proxy->invalidate(); });
  }
  if (!request.initialDir.empty()) dialog.setDirectory(QString::fromStdString(request.initialDir));
  if (!request.initialName.empty()) dialog.selectFile(QString::fromStdString(request.initialName));
  if (dialog.exec() != QDialog::Accepted) return false;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return false;
  chosen = QDir::toNativeSeparators(files.first()).toStdString();
  return true;
}

}  // namespace tavrin
