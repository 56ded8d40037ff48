#pragma once

class QApplication;

// A small sans font in pixels, so every caption fits its control at the
// window's fixed 96-dpi geometry whatever the screen's dpi setting.
void ApplyWindowFont(QApplication& application);
