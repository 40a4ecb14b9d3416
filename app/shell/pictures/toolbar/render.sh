#!/bin/sh
# Renders the toolbar's SVG pictures and the program's icon to the PNG
# files the program loads (a PNG opens far faster than an SVG is drawn, and
# start-up draws all ten).
# Run by hand after changing a picture; needs rsvg-convert (librsvg2-bin).
set -eu
cd "$(dirname "$0")"
for svg in *.svg; do
  name=${svg%.svg}
  rsvg-convert -w 32 -h 32 "$svg" -o "$name-32.png"
  rsvg-convert -w 64 -h 64 "$svg" -o "$name-64.png"
done
# The program's own icon, beside the toolbar's.
for size in 32 64; do
  rsvg-convert -w $size -h $size ../../../dialogs/pictures/orvane.svg -o "../orvane-$size.png"
done
