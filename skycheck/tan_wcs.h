// A gnomonic (TAN) world coordinate system as a FITS header describes one:
// the reference pixel, its sky position and the matrix CD, in degrees. Enough
// to put two descriptions of one image side by side pixel by pixel; SIP
// distortion terms are not read, as both sides of a check are linear.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "coords/tan_projection.h"

namespace skycheck {

using coords::SkyPoint;
using coords::TanWcs;

SkyPoint PixelToSky(const TanWcs& wcs, double x, double y);

// The angle between two positions, in degrees.
double SeparationDegrees(SkyPoint a, SkyPoint b);

// Square arc-seconds per pixel taken as one length: sqrt(|det CD|) * 3600.
double ScaleArcsec(const TanWcs& wcs);

// det(CD) > 0: the image shows the sky as in a mirror (east to the right of
// north), whatever its rotation.
bool IsMirrored(const TanWcs& wcs);

// The angle of the pixel y axis from north, as CROTA2 is read from a CD
// matrix: atan2(-CD1_2, CD2_2), in degrees.
double RotationDegrees(const TanWcs& wcs);

// The same sky with the reference at pixel (x, y): its sky position becomes
// CRVAL, and CD the local matrix there, so that two descriptions compare
// at one pixel (the rotation of a TAN matrix belongs to its tangent point).
TanWcs Recentred(const TanWcs& wcs, double x, double y);

// The same sky on the image with its rows in reverse order, as a flip writes
// it: CRPIX2 becomes NAXIS2 + 1 - CRPIX2, the second column of CD changes sign.
TanWcs Mirrored(const TanWcs& wcs, int naxis2);

// The primary WCS of header cards (80 columns each, or a whole header's
// bytes up to END): CTYPE1/2 'RA---TAN'/'DEC--TAN' (a -SIP suffix allowed),
// CRVAL1/2, CRPIX1/2 and a CD matrix, else CDELT with a PC matrix, else CDELT
// with CROTA2. Empty when any of these is missing or the matrix is singular.
std::optional<TanWcs> TanWcsFromCards(std::span<const std::string> cards);
std::optional<TanWcs> TanWcsFromHeader(std::string_view header);

}  // namespace skycheck
