// Loads velorin.ini from the start-up directory (or, lacking one there, from
// the user's configuration folder) into the shared state and,
// on the first load of the run, the instrument list of the window.
#pragma once

#include "app/log_file.h"
#include "app/shared_state.h"

class QComboBox;

// Appends the configuration's added lines and removed keywords behind
// KeepLineCount and RemoveKeyCount, and while InstrumentsPending the
// instruments behind InstrumentCount, never beyond the lists' limits.
void ReadIniFile(SharedState& shared, QComboBox* Cb_instrume, LogFile& logFile);
