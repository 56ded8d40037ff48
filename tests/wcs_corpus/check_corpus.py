"""Saves every header of the corpus through velorin-cli and judges the sky.

usage: check_corpus.py CLI CORPUS_FOLDER WORK_FOLDER

A file whose own WCS Velorin takes is saved header-only and flipped, without
entries: astropy must put every pixel of every WCS in it (primary and
alternates) within 1 milliarcsecond of where the input put it, or where the
input put its mirror row NAXIS2 + 1 - y. A WCS Velorin does not take is
named in the log, and the file is left as it was. Entries replace a foreign
WCS only with --replace-wcs; the alternates beside it stay true through a
flip, and what cannot be mirrored is left out with a warning.
Prints one line per file and exits 1 on the first failure.
"""
import os
import shutil
import subprocess
import sys
import warnings

import astropy.units as u
import numpy as np
from astropy.coordinates import FK5, SkyCoord
from astropy.io import fits
from astropy.wcs import WCS

TAKEN = ["astrometry_net", "astropy_sip", "irac_sip", "pc_skew", "cdelt_crota", "four_arcmin", "alternates"]
NOT_TAKEN = {
    "cunit_arcsec": "CUNIT1 'arcsec', nur 'deg'",
    "lonpole_zero": "LONPOLE  0, nur der Vorgabewert",
    "beyond_pole": "CRVAL2 ausserhalb -90 bis +90",
    "epoch_1950": "EPOCH 1950.0, nur 2000",
    "radesys_fk4": "EQUINOX 1950.0, nur 2000",
    "sin_projection": "CTYPE1 'RA---SIN', CTYPE2 'DEC--SIN', nur 'RA---TAN'/'DEC--TAN'",
}
# Capture headers: the position the hints give, on the J2000 sky.
HINTS = ["capture_jnow", "capture_j2000"]
MOST_PIXELS = 3_000_000  # every pixel up to here, else every n-th row and column
LIMIT_MAS = 1.0


def fail(message):
    print("FAIL " + message)
    sys.exit(1)


def write_image(hdr_path, fits_path):
    with open(hdr_path, encoding="ascii") as lines:
        cards = "".join(line.rstrip("\n").ljust(80) for line in lines)
    header = fits.Header.fromstring(cards)
    size = header["NAXIS1"] * header["NAXIS2"] * abs(header["BITPIX"]) // 8
    with open(fits_path, "wb") as out:
        out.write(cards.encode("ascii").ljust(-(-len(cards) // 2880) * 2880, b" "))
        out.write(bytes(size + (-size) % 2880))


def run(cli, *arguments):
    return subprocess.run([cli, *arguments], capture_output=True, text=True)


def wcs_keys(header):
    return [key for key in " ABCDEFGHIJKLMNOPQRSTUVWXYZ" if "CTYPE1" + key.strip() in header]


def sky(path, key, pixels):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        wcs = WCS(fits.getheader(path), key=key)
        return wcs.all_pix2world(pixels, 1), wcs.has_celestial


def largest_offset_mas(a, b, celestial):
    if not celestial:
        return np.max(np.abs(a - b)) * 3.6e6
    ra1, dec1, ra2, dec2 = (np.radians(v) for v in (a[:, 0], a[:, 1], b[:, 0], b[:, 1]))
    # Haversine: exact for the tiny angles judged here.
    h = np.sin((dec2 - dec1) / 2) ** 2 + np.cos(dec1) * np.cos(dec2) * np.sin((ra2 - ra1) / 2) ** 2
    return np.degrees(2 * np.arcsin(np.sqrt(np.minimum(h, 1.0)))).max() * 3.6e6


def pixel_grid(header):
    n1, n2 = header["NAXIS1"], header["NAXIS2"]
    step = max(1, int(np.ceil(np.sqrt(n1 * n2 / MOST_PIXELS))))
    xs, ys = np.meshgrid(np.unique(np.r_[1:n1 + 1:step, n1]), np.unique(np.r_[1:n2 + 1:step, n2]))
    return np.column_stack([xs.ravel(), ys.ravel()]).astype(float)


def judge_same_sky(name, source, saved, flipped, alternates_only=False):
    header = fits.getheader(source)
    pixels = pixel_grid(header)
    mirrored = pixels.copy()
    mirrored[:, 1] = header["NAXIS2"] + 1 - pixels[:, 1]
    keys = wcs_keys(header)[1 if alternates_only else 0:]
    largest = 0.0
    for key in keys:
        before, celestial = sky(source, key, pixels)
        for path, where in ((saved, pixels), (flipped, mirrored)):
            offset = largest_offset_mas(before, sky(path, key, where)[0], celestial)
            if not offset <= LIMIT_MAS:
                fail(f"{name} WCS '{key}' in {os.path.basename(os.path.dirname(path))}: {offset:.3g} mas")
            largest = max(largest, offset)
    return f"{len(pixels)} pixels, WCS {''.join(keys).replace(' ', '_')}, at most {largest:.2g} mas off"


def judge_hints(name, source, saved, log):
    """CRVAL within 0.1": astropy's FK5 precession, and the seven digits the fields keep."""
    header, written = fits.getheader(source), fits.getheader(saved)
    if "OBJCTRA" in header:
        target = SkyCoord(header["OBJCTRA"], header["OBJCTDEC"], unit=(u.hourangle, u.deg),
                          frame=FK5(equinox=f"J{header['EQUINOX']}"))
    else:
        target = SkyCoord(header["RA"], header["DEC"], unit=u.deg, frame=FK5(equinox=f"J{header['EQUINOX']}"))
    j2000 = target.transform_to(FK5(equinox="J2000"))
    offset = j2000.separation(SkyCoord(written["CRVAL1"], written["CRVAL2"], unit=u.deg, frame=FK5)).arcsec
    converted = "auf J2000 umgerechnet" in open(log).read()
    if not offset <= 0.1 or converted != (header["EQUINOX"] != 2000):
        fail(f"{name}: CRVAL {offset:.3f}\" from astropy's J2000 position, equinox named {converted}")
    return f"CRVAL {offset:.3f}\" from astropy's J2000 position"


def fitsverify_errors(path):
    out = subprocess.run(["fitsverify", "-q", path], capture_output=True, text=True).stdout
    return "" if "0 error(s)" in out or "OK" in out else out


def main():
    cli, corpus, work = sys.argv[1:4]
    shutil.rmtree(work, ignore_errors=True)
    for folder in ("in", "saved", "flipped"):
        os.makedirs(os.path.join(work, folder))
    for name in TAKEN + list(NOT_TAKEN) + ["dss_plate"] + HINTS:
        source = os.path.join(work, "in", name + ".fits")
        write_image(os.path.join(corpus, name + ".hdr"), source)
        original = open(source, "rb").read()
        log = os.path.join(work, name + ".log")
        if name in TAKEN:
            for folder, flip in (("saved", []), ("flipped", ["--flip"])):
                ran = run(cli, "apply", "--quiet", *flip, "--output", os.path.join(work, folder), "--log", log, source)
                if ran.returncode != 0:
                    fail(f"{name} {folder}: {ran.stdout}{ran.stderr}")
                errors = fitsverify_errors(os.path.join(work, folder, name + ".fits"))
                if errors:
                    fail(f"{name} {folder}: fitsverify {errors}")
            result = judge_same_sky(name, source, *(os.path.join(work, f, name + ".fits") for f in ("saved", "flipped")))
        elif name in HINTS:
            ran = run(cli, "apply", "--quiet", "--from-header", "--output", os.path.join(work, "saved"), "--log", log,
                      source)
            if ran.returncode != 0:
                fail(f"{name}: {ran.stdout}{ran.stderr}")
            result = judge_hints(name, source, os.path.join(work, "saved", name + ".fits"), log)
        elif name in NOT_TAKEN:
            ran = run(cli, "apply", "--log", log, source)
            said = "Warnung: WCS der Datei nicht übernommen: " + NOT_TAKEN[name]
            if ran.returncode != 1 or open(source, "rb").read() != original or said not in open(log).read():
                fail(f"{name}: exit {ran.returncode}, expected the log line {said!r}")
            result = "not taken, file unchanged"
        if name in ("sin_projection", "dss_plate"):
            flipped = os.path.join(work, "flipped", name + ".fits")
            entries = ["--ra", "5.5", "--dec", "22", "--scale", "1.5", "--flip", "--output", os.path.dirname(flipped)]
            if name == "sin_projection" and run(cli, "apply", *entries, source).returncode != 1:
                fail(f"{name}: entries replaced its WCS without --replace-wcs")
            ran = run(cli, "apply", "--replace-wcs", *entries, "--log", log, source)
            dropped = [line for line in open(log).read().splitlines() if "gespiegelte Bild nicht umrechenbar" in line]
            left = [k for k in fits.getheader(flipped) if k.startswith(("AMDX", "AMDY", "PV2_", "PLTRA"))]
            if ran.returncode != 0 or not dropped or left:
                fail(f"{name} flipped: exit {ran.returncode}, warnings {dropped}, left {left}")
            judged = judge_same_sky(name, source, source, flipped, True) if name == "sin_projection" else ""
            result = f"entries with --replace-wcs, {len(dropped)} cards left out; {judged}"
        print(f"{name}: {result}")
    print("OK")


main()
