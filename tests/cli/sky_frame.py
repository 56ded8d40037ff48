"""A small sky for the check: a star list, frames rendered from it, and how
far a saved WCS lies from the one the frames were rendered with.

sky_frame.py make DIR     cat.fits (4,000 stars, magnitudes 7-15, 3° × 3°
                          around 92.2 +24.3), frame.fits (1200 × 800, 2.9″ a
                          pixel, turned 12°, CRPIX 600 400 at 92.25 +24.33,
                          Gaussian stars of FWHM 3 on 800 ADU with noise),
                          mirror.fits (its rows reversed), blank.fits (noise)
sky_frame.py offset FILE  the largest offset over the frame, in arc-seconds
"""
import sys
import warnings

import numpy as np
from astropy.io import fits
from astropy.wcs import WCS

SCALE = 2.9 / 3600
KNOWN = dict(CTYPE1="RA---TAN", CTYPE2="DEC--TAN", CRVAL1=92.25, CRVAL2=24.33, CRPIX1=600, CRPIX2=400,
             CDELT1=-SCALE, CDELT2=SCALE, CROTA2=12.0)
W, H = 1200, 800
warnings.simplefilter("ignore")
known = WCS(fits.Header(KNOWN))

if sys.argv[1] == "offset":
    y, x = np.mgrid[1:H + 1:20, 1:W + 1:20]
    ra1, dec1 = known.all_pix2world(x, y, 1)
    ra2, dec2 = WCS(fits.getheader(sys.argv[2])).all_pix2world(x, y, 1)
    print(f"{np.max(np.hypot((ra1 - ra2) * np.cos(np.radians(dec1)), dec1 - dec2)) * 3600:.3f}")
    sys.exit(0)

out = sys.argv[2]
rng = np.random.default_rng(7)
n = 4000
dec = 24.3 + rng.uniform(-1.5, 1.5, n)
ra = 92.2 + rng.uniform(-1.5, 1.5, n) / np.cos(np.radians(dec))
k = 0.35 * np.log(10)  # dN/dm as 10^(0.35 m)
mag = np.log(np.exp(k * 7) + rng.uniform(0, 1, n) * (np.exp(k * 15) - np.exp(k * 7))) / k
fits.BinTableHDU.from_columns([fits.Column("RA", "D", array=ra), fits.Column("DEC", "D", array=dec),
                               fits.Column("MAG", "E", array=mag)]).writeto(f"{out}/cat.fits")
sky = 800 + rng.normal(0, 10, (H, W))
blank = sky.copy()
x, y = known.all_world2pix(ra, dec, 1)
sigma = 3 / 2.355
for xi, yi, m in zip(x, y, mag):
    if -5 < xi < W + 5 and -5 < yi < H + 5:
        x0, y0 = int(round(xi)), int(round(yi))
        ys, xs = slice(max(y0 - 8, 1) - 1, min(y0 + 8, H)), slice(max(x0 - 8, 1) - 1, min(x0 + 8, W))
        yy, xx = np.mgrid[ys.start + 1:ys.stop + 1, xs.start + 1:xs.stop + 1]
        flux = 4e5 * 10 ** (-0.4 * (m - 7)) / (2 * np.pi * sigma ** 2)
        sky[ys, xs] += flux * np.exp(-((xx - xi) ** 2 + (yy - yi) ** 2) / (2 * sigma ** 2))
frame = np.clip(sky, 0, 65535).astype(np.uint16)
for name, data in [("frame", frame), ("mirror", frame[::-1]), ("blank", blank.astype(np.uint16))]:
    fits.PrimaryHDU(data).writeto(f"{out}/{name}.fits")
