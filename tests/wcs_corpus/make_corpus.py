"""Writes the header corpus of the WCS tests, one card a line (NAME.hdr).

Headers as plate solvers, observatories and capture programs write them:
astrometry.net's CD matrix with SIP and its inverse, three of astropy's own
test headers (sip.fits, irac_sip.hdr, dss.14.29.56-62.41.05.fits.gz), a PC
matrix with unequal CDELT, CDELT/CROTA with fractional reference pixels, 4'
pixels, alternate WCSs, and WCSs Velorin must not take as its own.
Run once; the .hdr files are kept with the tests.
"""
import os
import sys

from astropy.io import fits

ASTROPY_DATA = "/usr/lib/python3/dist-packages/astropy/wcs/tests/data"


def image(naxis1, naxis2, cards, bitpix=16):
    header = fits.Header([("SIMPLE", True), ("BITPIX", bitpix), ("NAXIS", 2),
                          ("NAXIS1", naxis1), ("NAXIS2", naxis2)])
    for card in cards:
        header.append(fits.Card.fromstring(card.ljust(80)) if isinstance(card, str) else card)
    return header


def astropy_header(name, naxis=None):
    path = os.path.join(ASTROPY_DATA, name)
    header = fits.getheader(path) if name.endswith((".fits", ".gz")) else fits.Header.fromfile(path, padding=False)
    if naxis:
        header["NAXIS"] = 2
        header.insert("NAXIS", ("NAXIS1", naxis[0]), after=True)
        header.insert("NAXIS1", ("NAXIS2", naxis[1]), after=True)
    return header


TAN = ["CTYPE1  = 'RA---TAN'", "CTYPE2  = 'DEC--TAN'"]
ASTROMETRY_NET = [
    "WCSAXES =                    2 / no comment",
    "CTYPE1  = 'RA---TAN-SIP' / TAN (gnomic) projection + SIP distortions",
    "CTYPE2  = 'DEC--TAN-SIP' / TAN (gnomic) projection + SIP distortions",
    "EQUINOX =               2000.0 / Equatorial coordinates definition (yr)",
    "LONPOLE =                180.0 / no comment", "LATPOLE =                  0.0 / no comment",
    "CRVAL1  =        83.8218541389 / RA  of reference point",
    "CRVAL2  =       -5.38898553462 / DEC of reference point",
    "CRPIX1  =        1037.61437988 / X reference pixel",
    "CRPIX2  =        683.407165527 / Y reference pixel",
    "CUNIT1  = 'deg     ' / X pixel scale units", "CUNIT2  = 'deg     ' / Y pixel scale units",
    "CD1_1   =   -0.000273071937085 / Transformation matrix",
    "CD1_2   =   -0.000191208048803 / no comment", "CD2_1   =   -0.000191213772106 / no comment",
    "CD2_2   =    0.000273096711233 / no comment",
    "IMAGEW  =                 2048 / Image width,  in pixels.",
    "IMAGEH  =                 1365 / Image height, in pixels.",
    "A_ORDER =                    2 / Polynomial order, axis 1", "A_0_0   =                    0 / no comment",
    "A_0_1   =                    0 / no comment", "A_0_2   =    1.23456789012E-06 / no comment",
    "A_1_0   =                    0 / no comment", "A_1_1   =   -3.21098765432E-06 / no comment",
    "A_2_0   =     4.5678901234E-07 / no comment",
    "B_ORDER =                    2 / Polynomial order, axis 2", "B_0_0   =                    0 / no comment",
    "B_0_1   =                    0 / no comment", "B_0_2   =   -2.46813579246E-06 / no comment",
    "B_1_0   =                    0 / no comment", "B_1_1   =    1.35792468013E-06 / no comment",
    "B_2_0   =   -7.65432109876E-07 / no comment",
    "AP_ORDER=                    2 / Inv polynomial order, axis 1",
    "AP_0_0  =   -1.02345678901E-05 / no comment", "AP_0_1  =    3.45678901234E-07 / no comment",
    "AP_0_2  =   -1.23456789012E-06 / no comment", "AP_1_0  =    2.34567890123E-07 / no comment",
    "AP_1_1  =    3.21098765432E-06 / no comment", "AP_2_0  =    -4.5678901234E-07 / no comment",
    "BP_ORDER=                    2 / Inv polynomial order, axis 2",
    "BP_0_0  =    8.76543210987E-06 / no comment", "BP_0_1  =   -1.23456789012E-07 / no comment",
    "BP_0_2  =    2.46813579246E-06 / no comment", "BP_1_0  =    4.32109876543E-07 / no comment",
    "BP_1_1  =   -1.35792468013E-06 / no comment", "BP_2_0  =    7.65432109876E-07 / no comment",
]

CORPUS = {
    "astrometry_net": image(2048, 1365, ASTROMETRY_NET),
    "astropy_sip": astropy_header("sip.fits", (256, 256)),
    "irac_sip": astropy_header("irac_sip.hdr"),
    # A skewed PC matrix with unequal scales, fractional reference pixel.
    "pc_skew": image(720, 540, TAN + [
        "EQUINOX =               2000.0", "RADESYS = 'FK5     '",
        "CRVAL1  =        150.100000123", "CRVAL2  =         2.2000004567",
        "CRPIX1  =                360.5", "CRPIX2  =                270.5",
        "CDELT1  =  -2.7777777777778E-4", "CDELT2  =   3.1000000000000E-4",
        "PC1_1   =    0.984807753012208", "PC1_2   =   -0.190808995376545",
        "PC2_1   =    0.163175911166535", "PC2_2   =    0.984807753012208"]),
    # CDELT/CROTA next to RA 0h, reference pixel between pixels.
    "cdelt_crota": image(800, 720, TAN + [
        "CRVAL1  =              359.995", "CRVAL2  =          -30.1234567",
        "CRPIX1  =              400.25", "CRPIX2  =               360.5",
        "CDELT1  =  -0.000305555555556", "CDELT2  =   0.000305555555556", "CROTA2  =        -12.3456789"]),
    # All-sky camera: 4' pixels.
    "four_arcmin": image(600, 400, TAN + [
        "EQUINOX =               2000.0", "CRVAL1  =            45.678901", "CRVAL2  =            60.123456",
        "CRPIX1  =                300.5", "CRPIX2  =                200.5",
        "CDELT1  =   -0.066666666666667", "CDELT2  =    0.066666666666667", "CROTA2  =                  7.5"]),
    # Two more descriptions beside the primary one: a second TAN and pixel coordinates.
    "alternates": image(500, 300, TAN + [
        "CRVAL1  =           10.6847083", "CRVAL2  =           41.2690650", "CRPIX1  =               250.5",
        "CRPIX2  =                150.5", "CDELT1  =      -0.000416666667", "CDELT2  =       0.000416666667",
        "WCSNAMEA= 'second solution'", "CTYPE1A = 'RA---TAN'", "CTYPE2A = 'DEC--TAN'",
        "CRVAL1A =         10.684812345", "CRVAL2A =         41.269012345", "CRPIX1A =        251.123456789",
        "CRPIX2A =        149.987654321", "CD1_1A  =  -4.16123456789E-04", "CD1_2A  =   1.23456789012E-06",
        "CD2_1A  =   1.23987654321E-06", "CD2_2A  =   4.16987654321E-04",
        "CTYPE1B = 'LINEAR  '", "CTYPE2B = 'LINEAR  '", "CRPIX1B = 1.0", "CRPIX2B = 1.0",
        "CRVAL1B = 0.0", "CRVAL2B = 0.0", "CDELT1B = 0.012", "CDELT2B = 0.012"]),
    # Forms Velorin does not take: named in the log, the file left as it is.
    "cunit_arcsec": image(200, 100, TAN + [
        "CUNIT1  = 'arcsec  '", "CUNIT2  = 'arcsec  '", "CRVAL1  = 83.6", "CRVAL2  = 22.0",
        "CRPIX1  = 100", "CRPIX2  = 50", "CDELT1  = -1.5", "CDELT2  = 1.5"]),
    "lonpole_zero": image(200, 100, TAN + [
        "CRVAL1  = 83.6", "CRVAL2  = 22.0", "CRPIX1  = 100", "CRPIX2  = 50", "CDELT1  = -0.0004",
        "CDELT2  = 0.0004", "LONPOLE = 0.0"]),
    "beyond_pole": image(200, 100, TAN + [
        "CRVAL1  = 83.6", "CRVAL2  = 95.0", "CRPIX1  = 100", "CRPIX2  = 50", "CDELT1  = -0.0004",
        "CDELT2  = 0.0004"]),
    "epoch_1950": image(200, 100, TAN + [
        "EPOCH   = 1950.0", "CRVAL1  = 83.6", "CRVAL2  = 22.0", "CRPIX1  = 100", "CRPIX2  = 50",
        "CDELT1  = -0.0004", "CDELT2  = 0.0004"]),
    "radesys_fk4": image(200, 100, TAN + [
        "RADESYS = 'FK4     '", "EQUINOX = 1950.0", "CRVAL1  = 83.6", "CRVAL2  = 22.0", "CRPIX1  = 100",
        "CRPIX2  = 50", "CDELT1  = -0.0004", "CDELT2  = 0.0004"]),
    # A foreign projection with a TAN alternate: replaced by typed entries, the alternate kept true.
    "sin_projection": image(300, 200, [
        "CTYPE1  = 'RA---SIN'", "CTYPE2  = 'DEC--SIN'", "CRVAL1  = 83.6", "CRVAL2  = 22.0", "CRPIX1  = 150.5",
        "CRPIX2  = 100.5", "CDELT1  = -0.0004", "CDELT2  = 0.0004", "PV2_1   = 0.0", "PV2_2   = 0.0",
        "CTYPE1A = 'RA---TAN'", "CTYPE2A = 'DEC--TAN'", "CRVAL1A = 83.61", "CRVAL2A = 22.01",
        "CRPIX1A = 151.25", "CRPIX2A = 99.75", "CDELT1A = -0.00041", "CDELT2A = 0.00041",
        "CROTA2A = 3.25"]),
    "dss_plate": astropy_header("dss.14.29.56-62.41.05.fits.gz"),
    # Capture programs: the target's position at the equinox of the night (JNow) or J2000.
    "capture_jnow": image(1200, 800, [
        "OBJECT  = 'M 42    '", "OBJCTRA = '05 36 24.35'        / [H M S] RA of imaging target",
        "OBJCTDEC= '-05 22 07.8'        / [D M S] Declination of imaging target",
        "EQUINOX =              2024.04 / Equinox of the date", "FOCALLEN=                 530. / [mm]",
        "XPIXSZ  =                 3.76 / [um] X binned pixel size",
        "YPIXSZ  =                 3.76 / [um] Y binned pixel size", "XBINNING=                    1"]),
    "capture_j2000": image(1200, 800, [
        "OBJECT  = 'M 42    '", "RA      =     83.8220833333333 / [deg] RA of telescope",
        "DEC     =    -5.39111111111111 / [deg] Declination of telescope",
        "EQUINOX =                2000. / [yr] Equinox of equatorial coordinates",
        "FOCALLEN=                 530. / [mm]", "XPIXSZ  =                 3.76 / [um]"]),
}

def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for name, header in CORPUS.items():
        header.remove("EXTEND", ignore_missing=True)
        with open(os.path.join(folder, name + ".hdr"), "w", encoding="ascii") as out:
            out.write(header.tostring(sep="\n", endcard=True, padding=False) + "\n")


main()
