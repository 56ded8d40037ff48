#!/usr/bin/env bash
# Builds the Debian package from a build tree and checks what a user would
# get from it: declared dependencies that apt can resolve here, the files at
# the paths the desktop expects, and an executable that starts.
# Usage: package_test.sh CPACK BUILD_DIR
set -euo pipefail
cpack=$1
build=$(cd "$2" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Packaged into a directory of its own, so a package made by hand in the
# build tree neither interferes nor gets overwritten.
if ! "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  fail "cpack did not build the package"
fi
# Two packages: the command line alone, without Qt, and the window, which needs it.
deb=$(echo "$work"/out/velorin_*.deb)
cli_deb=$(echo "$work"/out/velorin-cli_*.deb)
[[ -f $deb && -f $cli_deb ]] || fail "expected velorin_*.deb and velorin-cli_*.deb, found: $(ls "$work/out")"

for package in "$deb" "$cli_deb"; do
  [[ $(dpkg-deb -f "$package" Section) == science ]] || fail "section of $(basename "$package") is not science"
done
[[ $(dpkg-deb -f "$deb" Package) == velorin && $(dpkg-deb -f "$cli_deb" Package) == velorin-cli ]] ||
  fail "package names are not velorin and velorin-cli"
depends=$(dpkg-deb -f "$deb" Depends)
cli_depends=$(dpkg-deb -f "$cli_deb" Depends)
echo "velorin Depends: $depends"
echo "velorin-cli Depends: $cli_depends"
for lib in velorin-cli qt6-translations-l10n libqt6widgets6 libqt6gui6 libqt6core6 libc6 libstdc++6; do
  [[ ", $depends," == *", $lib "* || ", $depends," == *", $lib,"* ]] || fail "velorin's Depends lacks $lib"
done
[[ $cli_depends != *qt* && $cli_depends == *libstdc++6* ]] || fail "velorin-cli depends on Qt or lacks libstdc++6"

# apt answers from the installed packages and its lists; a dependency that no
# package here provides makes the simulation fail. The command line alone,
# then both.
for set in "./$(basename "$cli_deb")" "./$(basename "$cli_deb") ./$(basename "$deb")"; do
  # shellcheck disable=SC2086
  if ! (cd "$work/out" && apt-get install --simulate $set) >"$work/apt.log" 2>&1; then
    cat "$work/apt.log" >&2
    fail "apt-get cannot resolve the dependencies of $set"
  fi
done

root=$work/root
dpkg -x "$deb" "$root"
dpkg -x "$cli_deb" "$root"
binary=$root/usr/bin/velorin
desktop=$root/usr/share/applications/velorin.desktop
example=$root/usr/share/doc/velorin-cli/examples/velorin.ini
[[ -x $binary ]] || fail "no executable at /usr/bin/velorin"
[[ -f $desktop ]] || fail "no desktop entry at /usr/share/applications/velorin.desktop"
[[ -s $example ]] || fail "no example velorin.ini under /usr/share/doc/velorin-cli/examples"
desktop-file-validate "$desktop" || fail "desktop entry does not validate"
# "Open with Velorin" in a file manager needs the FITS types and a file in the command.
grep -q '^MimeType=.*image/fits;' "$desktop" || fail "desktop entry does not offer to open FITS images"
grep -q '^Exec=[^ ]* %[fFuU]$' "$desktop" || fail "desktop entry passes no file to velorin"

# Debian's own checks of the package; its errors (a missing copyright file or
# changelog, wrong permissions, ...) fail, its warnings are shown.
lintian_out=$(lintian "$deb" "$cli_deb" 2>&1 || true)
echo "$lintian_out"
! grep -q '^E:' <<<"$lintian_out" || fail "lintian reports errors"

# The entry names its command and icon; both have to be what the package ships.
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
icon_name=$(sed -n 's/^Icon=//p' "$desktop")
[[ -x $root/usr/bin/$exec_name ]] || fail "Exec=$exec_name is not in /usr/bin of the package"
for size in 64 128; do
  icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/$icon_name.png
  [[ -f $icon ]] || fail "no icon at ${icon#"$root"}"
  # PNG signature, then the IHDR chunk with width and height as 32-bit big-endian numbers.
  header=$(od -An -tx1 -N24 "$icon" | tr -d ' \n')
  expected_size=$(printf '%08x%08x' "$size" "$size")
  [[ ${header:0:16} == 89504e470d0a1a0a ]] || fail "${icon#"$root"} is not a PNG"
  [[ ${header:32:16} == "$expected_size" ]] || fail "${icon#"$root"} is not ${size}x${size}"
done

# Started as "Open with" does: from a directory holding velorin.ini, on a
# file named relative to it, which is read at once. A window that is still
# open when timeout ends it gives 124; a crash or an early exit gives anything
# else.
run=$work/run
mkdir -p "$run" "$work/xdg"
chmod 700 "$work/xdg"
cp "$example" "$run/velorin.ini"
{
  for card in "SIMPLE  =                    T" "BITPIX  =                    8" "NAXIS   =                    2" \
    "NAXIS1  =                    1" "NAXIS2  =                    1" END; do printf '%-80s' "$card"; done
  printf '%2400s' ''
} >"$run/bild.fit"
truncate -s 5760 "$run/bild.fit"
status=0
(cd "$run" && QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/xdg" timeout -k 5 3 "$binary" bild.fit) || status=$?
[[ $status -eq 124 ]] || fail "the packaged velorin did not keep running (exit status $status)"
head -c 200 "$run/logfile.txt" | grep -q "^\*\*\*\* FITS-fileheader von Input-Datei $run/bild.fit \*\*\*\*" ||
  fail "velorin bild.fit did not read the file by its full path"
# The command line runs without a display and names no Qt library.
cli=$root/usr/bin/velorin-cli
[[ -x $cli ]] || fail "no executable at /usr/bin/velorin-cli"
! ldd "$cli" | grep -qi libqt || fail "velorin-cli links Qt"
[[ $("$cli" --version) == "velorin-cli 1.0" ]] || fail "velorin-cli --version"
(cd "$run" && env -u DISPLAY -u QT_QPA_PLATFORM "$cli" show bild.fit) | grep -q "^bild.fit: Fitsfileheader gelesen" ||
  fail "velorin-cli show did not read the file"
echo "package $(basename "$deb") passed"
