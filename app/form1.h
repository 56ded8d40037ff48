// The one window of Velorin. Its handlers run the read and save workflows on
// the window's thread; setting a field's text or a check box's value from code
// runs that control's handler at once, nested in the setter.
#pragma once

#include <QWidget>
#include <array>

#include <fstream>

#include "app/common_dialog.h"
#include "app/shared_state.h"
#include "fits/header_composer.h"
#include "fits/header_reader.h"
#include "fits/pixel_copy.h"
#include "fits/save_result.h"
#include "pipeline/log_file.h"
#include "pipeline/read_input.h"
#include "pipeline/write_output.h"

class QCheckBox;
class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class ImageWindow;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class SaveProgress;

class Form1 : public QWidget, public pipeline::InputWindow {
 public:
  static constexpr int kTwipsPerPixel = 15;
  static constexpr int kClientWidthTwips = 4800;
  static constexpr int kClientHeightTwips = 3510;

  Form1();
  ~Form1() override;

  SharedState shared;
  pipeline::LogFile logFile;
  std::ifstream inputFile;  // open from a read until a save, at the first data byte

  // Re-entrancy flags of the coordinate fields, and the one-tick pause flag.
  bool RaDezim = false;
  bool RaHMS = false;
  bool DeDezim = false;
  bool DeGMS = false;
  bool TimerActive = false;

  QPushButton* cmd_fitsauswahl;
  QPushButton* cmd_start;
  QCheckBox* chk_wcs;
  QLineEdit* tb_x;
  QLineEdit* tb_y;
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;
  QLabel* Label4;
  QLabel* Label5;
  QLabel* Label6;
  QLineEdit* tb_r_HH;
  QLineEdit* tb_r_MM;
  QLineEdit* tb_r_SS;
  QLineEdit* tb_r;
  QLineEdit* tb_d_dg;
  QLineEdit* tb_d_MM;
  QLineEdit* tb_d_SS;
  QLineEdit* tb_d;
  QLabel* Label7;
  QLabel* Label8;
  QComboBox* Cb_instrume;
  QCheckBox* Chk_speichernunter;
  QLineEdit* tb_statusline;
  QRadioButton* ob_NurHeader;
  QRadioButton* ob_flipNS;
  QLabel* Image1;
  QTimer* Timer1;
  CommonDialog CommonDialog1;
  // "Bild": the image of the file read last, with the sky the entries describe.
  ImageWindow* imageWindow;

  void Form_Load();
  void cmd_fitsauswahl_Click();
  // Reads the file as "fits lesen" does after the dialog: from the command
  // line, a drop, or the dialog's choice.
  void ReadFile(const std::string& path);
  void cmd_start_Click();
  void SaveHeaderOnly();
  void SaveWithPixelData();
  void Timer1_Timer();
  // Lets the window repaint before a long step: waits for one tick of Timer1,
  // or less when FatalError is or becomes set.
  void OneTickPause(int intervalMs);

  // The WCS entry group, always handled in this order.
  std::array<QWidget*, 19> WcsGroup() const;
  void ShowWcsGroup();
  void HideWcsGroup();
  void EnableWcsGroup() override;
  void DisableWcsGroup() override;

  void chk_wcs_Click();
  void ob_flipNS_Click();
  void ob_NurHeader_Click();

  void tb_r_Change();
  void tb_r_HH_Change();
  void tb_r_MM_Change() { tb_r_HH_Change(); }
  void tb_r_SS_Change() { tb_r_HH_Change(); }
  void tb_d_Change();
  void tb_d_dg_Change();
  void tb_d_MM_Change() { tb_d_dg_Change(); }
  void tb_d_SS_Change() { tb_d_dg_Change(); }
  void tb_x_Change();
  void tb_y_Change();

  // The row of the instrument table chosen in Cb_instrume, or -1 when the
  // user has typed a text of their own or the list is empty.
  int SelectedInstrumentRow() const;
  // The header to compose from the shared state and the options; the image
  // view checks it against the sky without saving.
  fits::HeaderPlan PlanFromSharedState() const;

  void SetStatus(std::string_view text);
  // A text that points to the log names this window's log, or gives the
  // reason itself when there is none.
  void SetStatus(fits::SaveCode code, std::string_view reason = {});

  // The header reader's way into the window.
  void SetFieldText(fits::CoordinateBox box, const std::string& text) override;
  void CheckWcs() override;
  bool AddInstrument(const config::Instrument& instrument) override;
  void WriteLog(std::string_view line) override { logFile.WriteLine(line); }
  void TakeInstruments(const std::vector<config::Instrument>& rows) override;

 protected:
  // A dropped .fit/.fits file is read as "fits lesen" reads it (file_drop.cpp).
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildControls();
  void ConnectHandlers();
  // Mirrors Crpix2 at Naxis2; false (nothing changed) when the result does not
  // fit 16 bits.
  bool MirrorCrpix2();
  // Takes the previous file's row out of the instrument list and its check
  // out of "Add WCS-Info", so nothing of it reaches the next file.
  void ForgetPreviousFile();
  // Takes a finished read into the shared state and the status line.
  void TakeReadResult(pipeline::InputRead& read);
  // A capture program's hints in a header without a WCS fill the fields and
  // add a row of their scale; "Add WCS-Info" stays the user's to check.
  void TakeHeaderHints(const fits::HeaderReadResult& header);
  // False, with a status text, when nothing may be saved now.
  bool SaveAllowed(const fits::HeaderPlan& plan);
  // Asks for the output name when "speichern unter" is checked; false on cancel.
  bool ChooseOutputFile();
  // Closes the input, disables the buttons and hides the options while a
  // save runs.
  void LockForSave();
  // Writes the output and shows the outcome; the scale and rotation written
  // are kept in the shared state once the file is saved.
  void WriteAndReport(fits::ComposedHeader& header, SaveProgress& progress);
  void SetSaveOptionsVisible(bool visible);
  // Where the input's data lie, as the read found them.
  fits::ImageLayout InputLayout() const;
};
