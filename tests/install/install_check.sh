#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop and man
# find there: the two programs (and only they), the GDAL module they load (a
# TIFF cut from another folder), the desktop entry and the icon it names,
# manual pages that render without warnings, the package's copyright and
# changelog, and the version from project() wherever it shows.
#   install_check.sh BUILD_DIR VERSION
set -euo pipefail
build="$1" version="$2"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
fail() { echo "install check: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

[ "$(ls "$prefix/bin")" = "$(printf 'pelmora\npelmora-tile')" ] ||
  fail "bin/ holds $(ls "$prefix/bin" | tr '\n' ' ')instead of pelmora and pelmora-tile"
[ "$(cd / && "$prefix/bin/pelmora-tile" --version)" = "pelmora-tile $version" ] ||
  fail "installed pelmora-tile --version does not say $version"

# GDAL only in the module, which the installed programs find from their own
# folder: a TIFF is cut from elsewhere, with no build tree to fall back on.
module="$(find "$prefix" -path '*/lib*/pelmora/pelmora-gdal.so')"
[ -f "$module" ] || fail "no GDAL module in LIBDIR/pelmora"
[ ! -x "$module" ] || fail "$module is executable"
for program in pelmora pelmora-tile; do
  [[ "$(ldd "$prefix/bin/$program")" != *gdal* ]] || fail "$program links GDAL instead of loading the module"
done
[[ "$(ldd "$module")" == *libgdal* ]] || fail "$module does not link GDAL"
scratch="$prefix/scratch"
mkdir -p "$scratch"
gdal_translate -q "$(dirname "$0")/../../samples/sample_map.bmp" "$scratch/map.tif"
(cd "$scratch" && "$prefix/bin/pelmora-tile" --quiet -r 2 -c 2 -o tiles map.tif) ||
  fail "installed pelmora-tile cannot cut a TIFF"
[ -s "$scratch/tiles/map.AR2" ] || fail "installed pelmora-tile wrote no index for a TIFF"

desktop="$prefix/share/applications/pelmora.desktop"
desktop-file-validate "$desktop" || fail "desktop entry rejected"
[ -z "$(desktop-file-validate "$desktop")" ] || fail "desktop entry has hints"
exec_name="$(sed -n 's/^Exec=//p' "$desktop")"
icon_name="$(sed -n 's/^Icon=//p' "$desktop")"
[ -x "$prefix/bin/$exec_name" ] || fail "Exec=$exec_name is not an installed program"
for size in 24 48 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/$icon_name.png"
  [ "$(identify -format '%wx%h' "$icon")" = "${size}x${size}" ] || fail "no ${size} px icon $icon"
done

for page in pelmora pelmora-tile; do
  file="$prefix/share/man/man1/$page.1.gz"
  warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$file" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fail "$page(1) renders with warnings: $warnings"
  zcat "$file" | grep -q "^\.TH .*\"Pelmora $version\"" || fail "$page(1) does not name version $version"
done

doc="$prefix/share/doc/pelmora"
[ -s "$doc/copyright" ] || fail "no copyright file"
zcat "$doc/changelog.gz" | head -1 | grep -qF "pelmora ($version)" || fail "changelog does not start at $version"
echo "install check: $prefix holds what it should"
