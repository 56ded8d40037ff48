// Fields of sky the sky tests draw over: rotated, mirrored, flipped, across
// 0h, and with the pole in the frame.
#pragma once

#include "imageview/tan_sky.h"

namespace sky_test {

struct Field {
  const char* what;
  imageview::SkyEntries entries;
};
// 1200 x 800 pixels; the reference pixel at (600, 400) unless said.
inline const Field kFields[] = {
    {"north up, east left", {92.225f, 24.33f, 600, 400, -0.0008f, 0.0008f, 0.0f, false}},
    {"mirrored (east right), rotated 30", {92.225f, 24.33f, 600, 400, 0.0008f, 0.0008f, 30.0f, false}},
    {"rotated -120, flipped", {10.5f, -60.0f, 600, 400, -0.0004f, 0.0004f, -120.0f, true}},
    {"across RA 0h, rotated 90", {0.1f, 5.0f, 600, 400, -0.001f, 0.001f, 90.0f, false}},
    {"the pole in the frame", {45.0f, 89.8f, 300, 200, -0.0005f, 0.0005f, 12.0f, false}}};

}  // namespace sky_test
