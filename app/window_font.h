#pragma once

class QApplication;

// A small, semi-condensed sans font sized in pixels, so every caption fits
// its control at the window's fixed 96-dpi geometry whatever the screen's dpi
// setting ("speichern unter" is the tightest).
void ApplyWindowFont(QApplication& application);
