#include "app/common_dialog.h"

#include <QFileDialog>
#include <filesystem>

#include "app/display_text.h"
#include "fits/platform_file.h"

namespace {

// The dialog lists names as text. A name an older system gave in Latin-1
// is no UTF-8: typed, or preset and shown readably, it stands for its
// Latin-1 bytes when only those name a file.
std::string NameOnDisk(const QString& chosen) {
  const std::string utf8 = chosen.toStdString();
  const QByteArray latin1 = chosen.toLatin1();
  std::error_code error;
  if (std::filesystem::exists(fits::platform::NativePath(utf8), error) ||
      QString::fromLatin1(latin1) != chosen ||
      !std::filesystem::exists(fits::platform::NativePath(latin1.toStdString()), error))
    return utf8;
  return latin1.toStdString();
}

}  // namespace

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
    if (!FileName.empty()) dialog.selectFile(DisplayName(FileName));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
      chosen = NameOnDisk(dialog.selectedFiles().front());
  }
  if (!chosen || chosen->empty()) return false;
  FileName = *chosen;
  return true;
}
