#pragma once

class QApplication;

// Qt's own German texts, so that file dialogs and buttons say "Öffnen" and
// "Abbrechen" like the rest of the window. Without Qt's translations
// installed they stay English; nothing else changes.
void LoadGermanQtTexts(QApplication& application);
