"""Prints where astropy puts pixel (CRPIX1, CRPIX2) of a saved file, and its
pixel scale in arc-seconds: "ra dec scale"."""
import sys
import warnings

from astropy.io import fits
from astropy.wcs import WCS

with warnings.catch_warnings():
    warnings.simplefilter("ignore")
    header = fits.getheader(sys.argv[1])
    wcs = WCS(header)
ra, dec = wcs.all_pix2world([[header["CRPIX1"], header["CRPIX2"]]], 1)[0]
scale = abs(wcs.pixel_scale_matrix[1][1]) * 3600 if header["CROTA2"] == 0 else float("nan")
print(f"{ra:.5f} {dec:.5f} {scale:.4f}")
