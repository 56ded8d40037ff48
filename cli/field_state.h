// What a fresh window holds after a read, without widgets: the values the
// coordinate fields' handlers keep, "Add WCS-Info", the instrument table and
// its selection. The read writes into it as it writes into the window.
#pragma once

#include <cstdint>
#include <vector>

#include "config/instrument.h"
#include "pipeline/log_file.h"
#include "pipeline/read_input.h"

namespace cli {

class FieldState : public pipeline::InputWindow {
 public:
  explicit FieldState(pipeline::LogSink& log) : log_(log) {}

  float raHours = 0.0f;
  float decDegrees = 0.0f;
  float crval1 = 0.0f;
  float crval2 = 0.0f;
  std::int16_t crpix1 = 0;
  std::int16_t crpix2 = 0;
  bool wcsChecked = false;  // a fresh window starts with it unchecked
  std::vector<config::Instrument> table;
  int selected = -1;  // row of the table chosen, -1 for none

  // Typing a value into tb_r or the hour fields, tb_d or the degree fields.
  void TypeRaHours(float hours);
  void TypeDecDegrees(float degrees);

  void SetFieldText(fits::CoordinateBox box, const std::string& text) override;
  void CheckWcs() override { wcsChecked = true; }
  bool AddInstrument(const config::Instrument& instrument) override;
  void EnableWcsGroup() override {}
  void DisableWcsGroup() override {}
  void WriteLog(std::string_view line) override { log_.WriteLine(line); }
  void TakeInstruments(const std::vector<config::Instrument>& rows) override;

 private:
  pipeline::LogSink& log_;
};

}  // namespace cli
