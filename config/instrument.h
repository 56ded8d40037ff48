// One row of the instrument table: what the instrument list offers, what a
// file's own WCS adds to it, and what the composer writes from the chosen row.
#pragma once

#include <string>

namespace config {

struct Instrument {
  std::string name;  // bytes; the TELESCOP value
  float cdelt1 = 0.0f;
  float cdelt2 = 0.0f;
  float rotation = 0.0f;  // written as CROTA2
  // False for a file's own row named after its scale: the list shows that
  // name, but it is no telescope, so no TELESCOP card is written for it.
  bool namesTelescope = true;
};

}  // namespace config
