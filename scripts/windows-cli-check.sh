#!/usr/bin/env bash
# velorin-cli.exe under Wine against velorin-cli on Linux: the same input,
# velorin.ini and options must give byte-identical output files and logs
# (log lines end in CR LF on both), and the same refusals.
# Usage: windows-cli-check.sh LINUX_BUILD WINDOWS_BUILD
set -euo pipefail
cd "$(dirname "$0")/.."
linux=$(realpath "$1")
windows=$(realpath "$2")
if [[ ! -x $windows/velorin-cli.exe || ! -x $linux/velorin-cli ]]; then
  echo "windows-cli-check: skipped, velorin-cli.exe or velorin-cli not built"
  exit 0
fi
work=$windows/cli-check
rm -rf "$work"
passed=0 failed=0
check() {  # name, then the command that must succeed
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else
    echo "FAILED: $name"
    failed=$((failed + 1))
  fi
}

# Runs one velorin-cli call (the readonly case expects a refusal) in a fresh folder per system: SIDE CASE ARGUMENTS...
run() {
  local side=$1 case=$2
  shift 2
  local dir=$work/$side/$case
  mkdir -p "$dir/out"
  cp examples/velorin.ini "$dir/"
  cp examples/beispiel.fit "$dir/Bild Größe ä.fit"
  cp examples/beispiel.fit "$dir/schreibgeschützt.fit"
  chmod a-w "$dir/schreibgeschützt.fit"
  local status=0
  if [[ $side == linux ]]; then
    (cd "$dir" && "$linux/velorin-cli" "$@" >stdout.txt 2>stderr.txt) || status=$?
  else
    (cd "$dir" && "$PROJECT_WINE" "$windows/wineprefix" "$windows/velorin-cli.exe" "$@" >stdout.txt 2>stderr.txt) ||
      status=$?
  fi
  echo "$status" >"$dir/status.txt"
}
PROJECT_WINE=$PWD/scripts/wine-run.sh

instrument="Refraktor 80/480 + ASI294MC"
cases=(
  "header|0|apply --ra 6:08:54 --dec +24:19:47 --instrument '$instrument' --output out --log log.txt 'Bild Größe ä.fit'"
  "flip|0|apply --ra 6:08:54 --dec +24:19:47 --instrument '$instrument' --flip --output out --log log.txt 'Bild Größe ä.fit'"
  "inplace|0|apply --ra 6:08:54 --dec +24:19:47 --instrument '$instrument' --log log.txt 'Bild Größe ä.fit'"
  "readonly|1|apply --ra 6:08:54 --dec +24:19:47 --instrument '$instrument' --log log.txt schreibgeschützt.fit"
  # A name beginning with "/" is a file on Windows too, not an option.
  "slash|0|apply --ra 6:08:54 --dec +24:19:47 --instrument '$instrument' --output out --log log.txt '$work/linux/slash/Bild Größe ä.fit'"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r name status command <<<"$entry"
  eval "arguments=($command)"
  run linux "$name" "${arguments[@]}"
  run windows "$name" "${arguments[@]}"
  check "$name: exit status $status" grep -qx "$status" "$work/windows/$name/status.txt"
  check "$name: no crash under Wine" bash -c '! grep -q "^wine: Unhandled" "$1"' _ "$work/windows/$name/stderr.txt"
  # Everything the runs left, the exit status among it; the console output
  # differs by Windows' CR LF and is not compared.
  while IFS= read -r path; do
    [[ $path == ./stdout.txt || $path == ./stderr.txt ]] && continue
    check "$name: $path" cmp "$work/linux/$name/$path" "$work/windows/$name/$path"
  done < <(cd "$work/linux/$name" && find . -type f | sort)
  check "$name: same files" diff <(cd "$work/linux/$name" && find . -type f | sort) \
    <(cd "$work/windows/$name" && find . -type f | sort)
done
echo "windows-cli-check: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
