"""Opens a saved file with astropy and checks the WCS Velorin wrote.

Called by the window tests with one JSON argument:
  path       the saved file
  crpix      [x, y]: must reach astropy's WCS unchanged
  crval      [ra, dec] in degrees: where pixel (CRPIX1, CRPIX2) must land
  cdelt      [c1, c2] (optional): the scale astropy reads
  like       (optional) another file whose WCS has the same scale and rotation
  mirror_of  (optional) another file whose CD2_2 has the opposite sign
  checksum   (optional) open with checksum verification; any warning fails
  telescop   (optional) the TELESCOP value astropy must read
  flipped    (optional) the same image saved flipped: every pixel (x, y) here
             must have the sky position of (x, NAXIS2 + 1 - y) there
Prints OK, or the first mismatch and exits 1.
"""
import json
import sys
import warnings

import numpy as np
from astropy.io import fits
from astropy.wcs import WCS


def fail(message):
    print(message)
    sys.exit(1)


def matrix(header):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        return WCS(header).pixel_scale_matrix


def main():
    args = json.loads(sys.argv[1])
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        with fits.open(args["path"], checksum=args.get("checksum", False)) as hdul:
            header = hdul[0].header
            hdul.verify("exception")
            for hdu in hdul:
                _ = hdu.data
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        wcs = WCS(header)
    if not np.allclose(wcs.wcs.crpix, args["crpix"], atol=0):
        fail(f"CRPIX {wcs.wcs.crpix} != {args['crpix']}")
    # Pixel (CRPIX1, CRPIX2) lands on the CRVAL written, which holds the
    # typed position to the seven digits of single precision.
    ra, dec = wcs.all_pix2world([args["crpix"]], 1)[0]
    if abs(ra - header["CRVAL1"]) > 1e-9 or abs(dec - header["CRVAL2"]) > 1e-9:
        fail(f"pixel {args['crpix']} -> ({ra}, {dec}), CRVAL ({header['CRVAL1']}, {header['CRVAL2']})")
    if abs(ra - args["crval"][0]) > 1e-4 or abs(dec - args["crval"][1]) > 1e-4:
        fail(f"pixel {args['crpix']} -> ({ra}, {dec}), expected {args['crval']}")
    # Nine decimals cut toward minus infinity: a few 1e-6 of the scale.
    if "cdelt" in args and not np.allclose(wcs.wcs.cdelt, args["cdelt"], rtol=1e-5, atol=0):
        fail(f"CDELT {wcs.wcs.cdelt} != {args['cdelt']}")
    if "telescop" in args and header.get("TELESCOP") != args["telescop"]:
        fail(f"TELESCOP {header.get('TELESCOP')!r} != {args['telescop']!r}")
    if "like" in args:
        theirs = matrix(fits.getheader(args["like"]))
        if not np.allclose(matrix(header), theirs, rtol=0, atol=1e-6 * 1e-3):
            fail(f"scale matrix {matrix(header).tolist()} != {theirs.tolist()}")
    if "mirror_of" in args:
        ours, theirs = matrix(header), matrix(fits.getheader(args["mirror_of"]))
        if np.sign(ours[1][1]) == np.sign(theirs[1][1]):
            fail(f"CD2_2 {ours[1][1]} has the sign of {theirs[1][1]}")
    if "flipped" in args:
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            theirs = WCS(fits.getheader(args["flipped"]))
        rows = header["NAXIS2"]
        pixels = np.array([[x, y] for x in (1, header["NAXIS1"]) for y in (1, 2, rows)], dtype=float)
        mirrored = pixels.copy()
        mirrored[:, 1] = rows + 1 - pixels[:, 1]
        here, there = wcs.all_pix2world(pixels, 1), theirs.all_pix2world(mirrored, 1)
        # A row off would be a whole pixel, some 1e-4 degrees here.
        if not np.allclose(here, there, rtol=0, atol=1e-7):
            fail(f"pixels {pixels.tolist()} -> {here.tolist()}, flipped -> {there.tolist()}")
    print("OK")


main()
