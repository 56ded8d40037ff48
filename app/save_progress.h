// While a save writes, the window repaints and the status line tells how far
// the data are; whatever the user clicks, types or drops meanwhile is
// dropped, not queued until the save is over.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <cstdint>

class QLineEdit;

class SaveProgress : public QObject {
 public:
  explicit SaveProgress(QLineEdit* statusLine);
  // Drops what the user did while the last step held the window, then lets
  // input through again.
  ~SaveProgress() override;
  SaveProgress(const SaveProgress&) = delete;
  SaveProgress& operator=(const SaveProgress&) = delete;

  // Shows the wait text with the share written, and lets the window repaint
  // now and then.
  void Report(std::int64_t done, std::int64_t total);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* statusLine_;
  QElapsedTimer sinceEvents_;
  int percentShown_ = -1;
};
