#!/usr/bin/env bash
# Gives a Wine prefix Wine's own fonts (Debian's fonts-wine). Debian's Wine
# does not find them by itself, and without its symbol font (Marlett) the
# caption's minimise, maximise and close buttons are drawn as "0 1 r".
#   scripts/lib/wine-fonts.sh PREFIX
set -euo pipefail
fonts=$1/drive_c/windows/Fonts
mkdir -p "$fonts"
for font in /usr/share/wine/fonts/*; do
  ln -sf "$font" "$fonts/"
done
