#!/usr/bin/env bash
# Draws the application icon (a small star field under a coordinate grid)
# with ImageMagick and writes the sizes the desktop entry uses. The PNGs are
# kept in the repository, so the build never needs ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/icons"
big=velorin-128.png
convert -size 128x128 'gradient:#0b1a3a-#02040c' \
  -stroke '#3f6fb0' -strokewidth 1 -fill none \
  -draw 'line 12,44 116,36' -draw 'line 12,86 116,78' \
  -draw 'line 44,10 50,118' -draw 'line 86,10 92,118' \
  -stroke none -fill white \
  -draw 'circle 22,24 23.5,24' -draw 'circle 104,20 105,20' -draw 'circle 30,104 31.5,104' \
  -draw 'circle 106,100 107.5,100' -draw 'circle 66,22 67,22' -draw 'circle 20,66 21,66' \
  -draw 'circle 110,60 111,60' -draw 'circle 72,108 73,108' \
  -fill '#ffe9a8' \
  -draw 'polygon 67,30 71,58 67,86 63,58' -draw 'polygon 39,58 67,54 95,58 67,62' \
  -fill white -draw 'circle 67,58 72,58' \
  -stroke '#ff6a4a' -strokewidth 2 -fill none -draw 'circle 67,58 80,58' \
  \( -size 128x128 xc:black -fill white -draw 'roundrectangle 2,2 125,125 20,20' \) \
  -alpha off -compose CopyOpacity -composite \
  -strip "PNG32:$big"
# The small size is scaled from the large one, so both show the same picture.
convert "$big" -filter Lanczos -resize 64x64 -strip PNG32:velorin-64.png
