#!/usr/bin/env bash
# Draws the images the HTML report refers to (resources/images/): four 16 x 16 tree connectors,
# a blank cell, a folder, and a light background tile. Needs ImageMagick's convert. The images are
# committed; run this again only to change how they look.
set -euo pipefail

out="$(cd "$(dirname "$0")/.." && pwd)/resources/images"
mkdir -p "$out"
line='#808080'

# Connectors: a 1-pixel line down the middle column (x = 7) and across the middle row (y = 7).
convert -size 16x16 xc:none "$out/nodeBlank.gif"
convert -size 16x16 xc:none -fill "$line" -draw 'rectangle 7,0 7,15' "$out/nodeVert.gif"
convert -size 16x16 xc:none -fill "$line" -draw 'rectangle 7,0 7,15' -draw 'rectangle 8,7 15,7' \
    "$out/nodeVertRight.gif"
convert -size 16x16 xc:none -fill "$line" -draw 'rectangle 7,0 7,7' -draw 'rectangle 8,7 15,7' \
    "$out/nodeTopRight.gif"

# A closed manila folder: tab at the top left, body below, darker outline.
convert -size 16x16 xc:none -stroke '#A07A1C' -strokewidth 1 \
    -fill '#E8B83A' -draw 'rectangle 1,3 6,5' \
    -fill '#F6CF5A' -draw 'rectangle 1,5 14,13' \
    -stroke none -fill '#FCE49A' -draw 'rectangle 2,6 13,7' \
    "$out/nodeFolder.gif"

# A faint warm paper tile.
convert -size 128x128 xc:'#FBF8F1' -attenuate 0.15 +noise Uniform -blur 0x0.6 \
    -fill '#FBF8F1' -colorize 70% -quality 85 "$out/background.jpg"
