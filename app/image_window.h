// The second window, "Bild": the primary image of the file read last,
// loaded off the window's thread, with the sky the entries describe drawn
// over it. A click on a star puts its centroid into the reference pixel
// fields. "WCS prüfen" checks the header a save would write against the sky,
// off the window's thread; "Lösung übernehmen" types the solution into the
// entries. It belongs to Form1 and reads Form1's state; Form1 only tells it
// when a read has ended.
#pragma once

#include <QWidget>
#include <atomic>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "imageview/frame_layout.h"
#include "imageview/loaded_image.h"
#include "imageview/tan_sky.h"
#include "skycheck/sky_check.h"

class Form1;
class ImageCanvas;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class ImageWindow : public QWidget {
 public:
  explicit ImageWindow(Form1& form);
  ~ImageWindow() override;

  // After a read: a usable header starts loading its image (a load still
  // running is cancelled) and shows the window; any other forgets the image.
  void ShowReadFile();
  bool Loading() const { return loading_; }
  bool Checking() const { return checking_; }

  ImageCanvas* canvas;
  QPushButton* cmd_einpassen;
  QPushButton* cmd_originalgroesse;
  QComboBox* Cb_streckung;
  QLabel* lbl_ausrichtung;
  QLabel* lbl_cursor;
  QLineEdit* tb_bildstatus;
  QPushButton* cmd_wcspruefen;
  QPushButton* cmd_loesunguebernehmen;
  // astrometry.net's index files; empty: those the system's astrometry.cfg names.
  std::vector<std::filesystem::path> indexFolders;

 private:
  void StartLoad(const imageview::DataRequest& request);
  void Restretch();
  void TakeLoad(const imageview::LoadedData& data);
  // The orientation and the sky from the entries as they are now.
  void Refresh();
  std::optional<imageview::TanWcs> EntriesWcs() const;
  void Hover(std::optional<imageview::FramePoint> point);
  void Click(imageview::FramePoint point);
  void SetStatus(std::string_view text);
  void Forget();
  // image_window_check.cpp: the check against the sky and taking its solution.
  void CheckWcs();
  void TakeCheck(const skycheck::SkyCheck& check, bool flip);
  void TakeSolution();
  void ForgetCheck();

  Form1& form_;
  std::shared_ptr<const imageview::LoadedImage> image_;
  std::shared_ptr<std::atomic<bool>> cancel_ = std::make_shared<std::atomic<bool>>(false);
  int generation_ = 0;  // of the newest load or stretch; older results are dropped
  bool loading_ = false;
  imageview::FrameLayout layout_;
  std::optional<imageview::TanWcs> wcs_;
  bool checking_ = false;
  int checkGeneration_ = 0;  // of the newest read; a check of an older one is dropped
  std::optional<skycheck::Solution> solution_;
};
