"""Writes the inputs of the integrity and extension tests with astropy.

make_fits.py KIND PATH, KIND one of:
  checksum       5 x 4 BITPIX 16 image written with checksum=True
  checksum_only  the same header without its DATASUM card
  extensions     primary image, an image extension and a binary table,
                 EXTEND = T, each HDU with CHECKSUM and DATASUM
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
else:
    sys.exit(f"unknown kind {kind}")
