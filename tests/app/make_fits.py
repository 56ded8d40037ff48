"""Writes the inputs of the integrity and extension tests with astropy.

make_fits.py KIND PATH, KIND one of:
  checksum       5 x 4 BITPIX 16 image written with checksum=True
  checksum_only  the same header without its DATASUM card
  extensions     primary image, an image extension and a binary table,
                 EXTEND = T, each HDU with CHECKSUM and DATASUM
  cfitsio        5 x 4 BITPIX 16 zeros with a TAN WCS written by cfitsio itself:
                 its numbers with 16 digits, past column 31 ("-2.777777777777778E-04")
  star BITPIX    64 x 48 sky of 100 with a star of 150 at FITS (20.3, 30.7), FWHM 3,
                 and one missing value at (60, 5): BLANK for 16 bits (stored
                 unsigned, BZERO 32768), NaN for floating point
"""
import sys

import numpy as np
from astropy.io import fits

kind, path = sys.argv[1], sys.argv[2]
data = (np.arange(20, dtype=">i2") * 257 - 3000).reshape(4, 5)
primary = fits.PrimaryHDU(data)
primary.header["OBJECT"] = "M 35"
if kind == "checksum":
    primary.writeto(path, overwrite=True, checksum=True)
elif kind == "checksum_only":
    primary.writeto(path, overwrite=True, checksum=True)
    with open(path, "r+b") as f:
        block = bytearray(f.read(2880))
        at = block.find(b"DATASUM =")
        block[at:at + 80] = b"COMMENT   DATASUM removed for the test".ljust(80)
        f.seek(0)
        f.write(block)
elif kind == "extensions":
    mask = fits.ImageHDU(np.arange(12, dtype=np.uint8).reshape(3, 4), name="MASK")
    table = fits.BinTableHDU.from_columns(
        [fits.Column(name="x", format="E", array=np.array([1.5, 2.5, np.nan])),
         fits.Column(name="name", format="8A", array=np.array(["a", "bb", "ccc"]))], name="STARS")
    fits.HDUList([primary, mask, table]).writeto(path, overwrite=True, checksum=True)
elif kind == "cfitsio":
    import ctypes
    lib, fptr, status = ctypes.CDLL("libcfitsio.so.10"), ctypes.c_void_p(), ctypes.c_int(0)
    lib.ffinit(ctypes.byref(fptr), ("!" + path).encode(), ctypes.byref(status))
    lib.ffcrim(fptr, 16, 2, (ctypes.c_long * 2)(5, 4), ctypes.byref(status))
    for key, value in [("CTYPE1", b"RA---TAN"), ("CTYPE2", b"DEC--TAN")]:
        lib.ffpkys(fptr, key.encode(), value, b"", ctypes.byref(status))
    for key, value in [("CRVAL1", 92.225), ("CRVAL2", 24.33), ("CRPIX1", 3.0), ("CRPIX2", 2.0),
                       ("CD1_1", -1 / 3600), ("CD2_2", 1 / 3600)]:
        lib.ffpkyd(fptr, key.encode(), ctypes.c_double(value), 15, b"world", ctypes.byref(status))
    lib.ffclos(fptr, ctypes.byref(status))
    sys.exit(status.value)
elif kind == "star":
    bitpix = int(sys.argv[3])
    y, x = np.mgrid[1:49, 1:65]
    sky = 100 + 150 * np.exp(-((x - 20.3) ** 2 + (y - 30.7) ** 2) / (2 * (3 / 2.3548) ** 2))
    dtype = {8: np.uint8, 16: np.uint16, 32: np.int32, -32: np.float32, -64: np.float64}[bitpix]
    data = (sky if bitpix < 0 else np.round(sky)).astype(dtype)
    star = fits.PrimaryHDU(data)
    if bitpix < 0:
        star.data[4, 59] = np.nan
    elif bitpix == 16:
        star.data[4, 59] = 0
        star.header["BLANK"] = -32768
    star.writeto(path, overwrite=True)
else:
    sys.exit(f"unknown kind {kind}")
