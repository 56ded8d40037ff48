// The forms in which a header can describe the primary WCS: CDELT and CROTA,
// a CD matrix, a PC matrix with CDELT, projection parameters and SIP
// distortion terms. Velorin writes CDELT and CROTA2 only, so it derives those
// from a matrix on reading and drops every other WCS card when it writes its
// own WCS, or when it takes the file's WCS but writes none.
#pragma once

#include <optional>
#include <string_view>

namespace fits {

struct LinearTransform {
  double cd[2][2] = {{0.0, 0.0}, {0.0, 0.0}};
  double pc[2][2] = {{1.0, 0.0}, {0.0, 1.0}};  // the FITS default
  bool hasCd = false;
  bool hasPc = false;
};

// Takes a CDi_j or PCi_j card (i, j in 1..2) into the transform; false for
// any other keyword. The keyword is the 8-character field.
bool TakeMatrixCard(std::string_view keyword, double value, LinearTransform& transform);

struct ScaleAndRotation {
  float cdelt1 = 0.0f;
  float cdelt2 = 0.0f;
  float crota2 = 0.0f;  // degrees
};

// Scale and rotation by the usual convention: CDELT1 = +-sqrt(CD1_1^2 +
// CD2_1^2), negative when the determinant is; CDELT2 = sqrt(CD1_2^2 + CD2_2^2);
// CROTA2 = atan2(-CD1_2, CD2_2). A CD matrix counts when no CDELT card was
// read; PC cards count together with the CDELT values. Empty otherwise.
std::optional<ScaleAndRotation> ScaleFromMatrix(const LinearTransform& transform, bool hasCdelt,
                                                double cdelt1, double cdelt2);

// True for keywords of the primary WCS: CTYPEi, CRVALi, CRPIXi, CDELTi,
// CROTAi, EQUINOX, RADESYS and the other forms, CDi_j, PCi_j, PVi_m, PSi_m,
// CUNITi, LONPOLE, LATPOLE, WCSAXES, RADECSYS, EPOCH and the SIP cards.
// Keywords of alternate descriptions (ending in a letter, such as CD1_1A) are
// not among them.
bool IsPrimaryWcsCard(std::string_view keyword);

}  // namespace fits
