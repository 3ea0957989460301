#!/bin/sh
# Regenerates the program's icons and bitmaps with ImageMagick. The outputs
# are committed next to this script; run it again only to change the artwork.
#   purvex.ico     icon 128: the application (a printer with a removal badge)
#   maker.ico      icon 137: the emblem in the About box
#   side_small.bmp bitmap 135 (119x171 px, 79x105 dialog units)
#   side.bmp       bitmap 136 (119x349 px, 79x215 dialog units)
set -eu
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Drawn on a 256 px canvas and scaled down, so every icon size comes from one
# drawing.
printer_256() {
  convert -size 256x256 xc:none \
    -fill '#f4f4f4' -stroke '#6b6b6b' -strokewidth 6 \
    -draw 'rectangle 70,22 186,110' \
    -stroke '#9a9a9a' -strokewidth 6 \
    -draw 'line 90,52 166,52' -draw 'line 90,74 150,74' \
    -fill '#4a5560' -stroke '#2a3038' -strokewidth 6 \
    -draw 'roundrectangle 22,96 234,196 18,18' \
    -fill '#2a3038' -stroke none \
    -draw 'rectangle 60,170 196,184' \
    -fill '#8fe07a' -draw 'circle 198,124 206,124' \
    -fill '#f4f4f4' -stroke '#6b6b6b' -strokewidth 6 \
    -draw 'rectangle 70,178 186,236' \
    "$1"
}

printer_256 "$work/printer.png"
convert "$work/printer.png" \
  -fill '#c8322b' -stroke '#ffffff' -strokewidth 10 \
  -draw 'circle 188,188 188,130' \
  -fill '#ffffff' -stroke none \
  -draw 'roundrectangle 156,180 220,196 6,6' \
  "$work/app256.png"
for s in 48 32 16; do
  convert "$work/app256.png" -resize ${s}x${s} "$work/app$s.png"
done
convert "$work/app48.png" "$work/app32.png" "$work/app16.png" purvex.ico

convert -size 256x256 xc:none \
  -fill '#1f5fa8' -stroke '#0f3a6b' -strokewidth 8 \
  -draw 'roundrectangle 12,12 244,244 48,48' \
  -fill '#ffffff' -stroke none \
  -draw 'polygon 64,196 128,56 192,196 160,196 128,124 96,196' \
  -fill '#7fc4ff' -draw 'rectangle 64,208 192,222' \
  "$work/maker256.png"
for s in 48 32 16; do
  convert "$work/maker256.png" -resize ${s}x${s} "$work/maker$s.png"
done
convert "$work/maker48.png" "$work/maker32.png" "$work/maker16.png" maker.ico

# The side banners: a dark-to-light gradient with fine diagonal lines, the
# printer near the top and, on the tall one, the program's name.
banner() {
  w=$1; h=$2; out=$3
  convert -size ${w}x${h} gradient:'#0d2d57'-'#2f7fbf' \
    \( -size ${w}x${h} xc:none -stroke 'rgba(255,255,255,0.18)' -strokewidth 2 \
       -draw "line 0,$((h / 3)) $w,$((h / 3 - w))" \
       -draw "line 0,$((h / 2)) $w,$((h / 2 - w))" \
       -draw "line 0,$((h * 2 / 3)) $w,$((h * 2 / 3 - w))" \) -composite \
    \( "$work/printer.png" -resize 84x84 \) -gravity north -geometry +0+18 -composite \
    "$work/banner.png"
  cp "$work/banner.png" "$out"
}

banner 119 171 "$work/small.png"
convert "$work/small.png" -alpha off -type TrueColor BMP3:side_small.bmp

banner 119 349 "$work/tall.png"
convert "$work/tall.png" \
  \( -background none -fill '#ffffff' -font DejaVu-Sans-Bold -pointsize 34 \
     label:Purvex -rotate -90 \) -gravity southwest -geometry +14+18 -composite \
  -alpha off -type TrueColor BMP3:side.bmp
