#include "platform/qt/qt_file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSortFilterProxyModel>
#include <QStringList>
#include <filesystem>
#include <system_error>

#include "platform/qt/qt_text.h"

namespace tavrin {
namespace {

QString FilterText(const FileFilter& filter) {
  QString patterns = QtText(filter.patterns);
  patterns.replace(';', ' ');
  return QtText(filter.description) + " (" + patterns + ")";
}

// Whether a file name matches one of the patterns of a filter ("*.exe;*.bat"). "*.*"
// stands for every file, as it does in the system's dialogs, names without a dot too.
bool MatchesPatterns(const QString& fileName, const std::string& patterns) {
  for (const QString& pattern : QtText(patterns).split(';')) {
    const QString p = pattern.trimmed();
    if (p == "*.*" || p == "*") return true;
    if (QRegularExpression::fromWildcard(p, Qt::CaseInsensitive).match(fileName).hasMatch()) {
      return true;
    }
  }
  return false;
}

// What the dialog lists: folders, to walk into, and the files the selected filter
// names: by their patterns and, for a filter of programs, every file that may be
// executed. The dialog's own model is kept from filtering by name (it would hide the
// programs without an extension before they reach this one) and still sorts.
class FilterProxy : public QSortFilterProxyModel {
 public:
  FilterProxy(QFileDialog* dialog, std::vector<FileFilter> filters)
      : dialog_(dialog), filters_(std::move(filters)) {}

  // The name filter was chosen: every name passes the file system model, this model
  // decides.
  void FilterChosen() {
    if (auto* files = qobject_cast<QFileSystemModel*>(sourceModel())) files->setNameFilters({});
    invalidateFilter();
  }

  // Sorting is the file system model's (folders first, names in natural order).
  void sort(int column, Qt::SortOrder order) override {
    if (sourceModel()) sourceModel()->sort(column, order);
    QSortFilterProxyModel::sort(-1, order);
  }

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (!files) return true;
    const QFileInfo info(files->filePath(files->index(row, 0, parent)));
    if (info.isDir()) return true;
    const auto selected = dialog_->nameFilters().indexOf(dialog_->selectedNameFilter());
    if (selected < 0 || selected >= static_cast<qsizetype>(filters_.size())) return true;
    const FileFilter& filter = filters_[static_cast<std::size_t>(selected)];
    if (filter.programs && info.isExecutable()) return true;
    return MatchesPatterns(info.fileName(), filter.patterns);
  }

 private:
  QFileDialog* dialog_;
  std::vector<FileFilter> filters_;
};

}  // namespace

void SetUpFileDialog(QFileDialog& dialog, const FileDialogRequest& request) {
  // Qt's own dialog: the same on every desktop, and the type list can follow the
  // rules of this program.
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  if (request.folders) {
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (!request.prompt.empty()) dialog.setWindowTitle(QtText(request.prompt));
    if (!request.initialDir.empty()) dialog.setDirectory(QtText(request.initialDir));
    return;
  }
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
  dialog.setDefaultSuffix(QtText(request.defaultExt));
  auto* proxy = new FilterProxy(&dialog, request.filters);
  dialog.setProxyModel(proxy);
  QStringList filters;
  for (const auto& f : request.filters) filters << FilterText(f);
  dialog.setNameFilters(filters);
  if (request.filterIndex >= 1 && request.filterIndex <= filters.size()) {
    dialog.selectNameFilter(filters[request.filterIndex - 1]);
  }
  proxy->FilterChosen();
  // The dialog sets its model's name filters before it reports the user's choice.
  QObject::connect(&dialog, &QFileDialog::filterSelected, proxy,
                   [proxy] { proxy->FilterChosen(); });
  if (!request.initialDir.empty()) dialog.setDirectory(QtText(request.initialDir));
  if (!request.initialName.empty()) dialog.selectFile(QtText(request.initialName));
}

std::string ChosenFile(const QFileDialog& dialog) {
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? std::string() : ProgramBytes(QDir::toNativeSeparators(files.first()));
}

namespace {

// Whether the user says to replace the existing `file` that the dialog itself could not
// see: Qt names files through the locale's encoding, in which a name whose bytes are no
// UTF-8 (a Latin-1 "caf\xe9") stands for no file. Asked as the dialog asks, No by default.
bool MayReplaceUnseen(QFileDialog& dialog, const std::string& file) {
  std::error_code error;
  if (QFileInfo::exists(dialog.selectedFiles().first()) ||
      !std::filesystem::exists(std::filesystem::path(file), error)) {
    return true;
  }
  const QString name = QtText(std::filesystem::path(file).filename().string());
  return QMessageBox::warning(
             &dialog, dialog.windowTitle(),
             QFileDialog::tr("%1 already exists.\nDo you want to replace it?").arg(name),
             QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace

bool QtFileDialogs::Show(const FileDialogRequest& request, std::string& chosen) {
  QFileDialog dialog(owner_);
  SetUpFileDialog(dialog, request);
  for (;;) {
    if (dialog.exec() != QDialog::Accepted) return false;
    std::string file = ChosenFile(dialog);
    if (file.empty()) return false;
    // No keeps the dialog for another name, as the dialog's own question does.
    if (request.save && request.overwritePrompt && !MayReplaceUnseen(dialog, file)) continue;
    chosen = std::move(file);
    return true;
  }
}

}  // namespace tavrin
