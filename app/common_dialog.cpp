#include "app/common_dialog.h"

#include <QFileDialog>

std::string QtNameFilter(const std::string& filter) {
  const std::size_t bar = filter.find('|');
  const std::string description = filter.substr(0, bar);
  std::string patterns = bar == std::string::npos ? "*" : filter.substr(bar + 1);
  if (patterns == "*.fit") patterns = "*.[fF][iI][tT] *.[fF][iI][tT][sS]";
  return description + " (" + patterns + ")";
}

bool CommonDialog::ShowOpen(QWidget* parent) {
  std::optional<std::string> chosen;
  if (answer) {
    chosen = answer(*this);
  } else {
    QFileDialog dialog(parent, QString::fromStdString(DialogTitle));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);  // shows "Fits-Bilddateien (*.fit)"
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(QString::fromStdString(QtNameFilter(Filter)));
    if (!FileName.empty()) dialog.selectFile(QString::fromStdString(FileName));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
      chosen = dialog.selectedFiles().front().toStdString();
  }
  if (!chosen || chosen->empty()) return false;
  FileName = *chosen;
  return true;
}
