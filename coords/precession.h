// Positions carried from the mean equator and equinox of one Julian epoch to
// J2000 by the IAU 2006 precession, and the angle between two positions.
#pragma once

namespace coords {

struct EquatorialPosition {
  double raHours = 0.0;
  double decDegrees = 0.0;
};

// The position of the mean equator and equinox of the Julian epoch (2024.04
// for J2024.04) on the J2000 one, by the Capitaine et al. (2003) angles zeta,
// z and theta as IAU 2006 adopted them; the right ascension comes back in 0
// to 24 hours.
EquatorialPosition PrecessedToJ2000(EquatorialPosition position, double julianEpoch);

// The angle between two positions on the sphere, in degrees.
double SeparationDegrees(EquatorialPosition a, EquatorialPosition b);

}  // namespace coords
