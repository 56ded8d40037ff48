"""A capture program's frame, and whether a saved copy still holds it.

capture_frame.py make PATH          64 x 48 unsigned 16-bit frame (BZERO 32768),
                                    about 1000, 28 capture cards, one record
capture_frame.py check FIRST SAVED  every card of FIRST once in SAVED (those
                                    Velorin writes itself or velorin.ini removes
                                    aside), the same pixel values; prints OK
"""
import sys

import numpy as np
from astropy.io import fits

OWN = {"SIMPLE", "BITPIX", "NAXIS", "NAXIS1", "NAXIS2", "SWCREATE"}

if sys.argv[1] == "make":
    data = (np.arange(64 * 48) % 401 + 800).astype(np.uint16).reshape(48, 64)
    hdu = fits.PrimaryHDU(data)
    for key, value in [("IMAGETYP", "Light Frame"), ("EXPTIME", 120.0), ("DATE-OBS", "2026-01-12T21:14:03.512"),
                       ("XBINNING", 1), ("YBINNING", 1), ("XPIXSZ", 4.63), ("YPIXSZ", 4.63),
                       ("GAIN", 120), ("OFFSET", 30), ("CCD-TEMP", -10.1), ("SET-TEMP", -10.0),
                       ("INSTRUME", "ZWO ASI294MC Pro"), ("FOCALLEN", 480.0), ("APTDIA", 80.0),
                       ("FILTER", "L"), ("OBJECT", "M 35"), ("OBJCTRA", "06 08 54"),
                       ("OBJCTDEC", "+24 19 47"), ("SITELAT", "+48 08 00"), ("SITELONG", "+11 34 00"),
                       ("BAYERPAT", "RGGB"), ("XBAYROFF", 0), ("YBAYROFF", 0), ("ROWORDER", "TOP-DOWN"),
                       ("SWCREATE", "N.I.N.A. 3.1"), ("OBSERVER", "Anna")]:
        hdu.header[key] = value
    hdu.writeto(sys.argv[2], overwrite=True)
    sys.exit(0)

with fits.open(sys.argv[2]) as first, fits.open(sys.argv[3]) as saved:
    cards = [str(card) for card in saved[0].header.cards]
    for card in first[0].header.cards:
        if card.keyword not in OWN and card.keyword != "OBSERVER" and cards.count(str(card)) != 1:
            sys.exit(f"{cards.count(str(card))} x {str(card).rstrip()}")
    if [card.keyword for card in saved[0].header.cards].count("OBSERVER") != 1:
        sys.exit("OBSERVER not once")
    if not np.array_equal(first[0].data, saved[0].data):
        sys.exit(f"pixels changed: mean {saved[0].data.mean()} instead of {first[0].data.mean()}")
print("OK")
