"""Sky positions and the north and east directions at FITS pixels, by astropy.

sky_astropy.py JSON: a list of WCSs, each {"crval": [ra, dec], "crpix": [x, y],
"cdelt": [c1, c2], "crota2": degrees, "pixels": [[x, y], ...]} (1-based pixels).
Prints one line per pixel: ra dec north east, the last two the directions'
angles in pixel coordinates, atan2(dy, dx) in degrees.
"""
import json
import sys

import numpy as np
from astropy.wcs import WCS

for row in json.loads(sys.argv[1]):
    wcs = WCS(naxis=2)
    wcs.wcs.ctype = ["RA---TAN", "DEC--TAN"]
    wcs.wcs.crval, wcs.wcs.crpix, wcs.wcs.cdelt = row["crval"], row["crpix"], row["cdelt"]
    wcs.wcs.crota = [0, row["crota2"]]
    for x, y in row["pixels"]:
        ra, dec = wcs.all_pix2world([[x, y]], 1)[0]
        step = 1e-6  # degrees: a small fraction of a pixel at these scales
        north = wcs.all_world2pix([[ra, dec + step if dec + step < 90 else dec - step]], 1)[0] - [x, y]
        if dec + step >= 90:
            north = -north
        east = wcs.all_world2pix([[ra + step / np.cos(np.radians(dec)), dec]], 1)[0] - [x, y]
        angle = lambda d: np.degrees(np.arctan2(d[1], d[0]))
        print(f"{ra:.10f} {dec:.10f} {angle(north):.6f} {angle(east):.6f}")
