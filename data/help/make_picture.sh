#!/usr/bin/env bash
# Renders the sheet consolidation's help picture from its SVG source.
# Needs rsvg-convert (librsvg2-bin), ImageMagick's convert and the IPA fonts.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

rsvg-convert -w 800 -h 560 -o "$work/help.png" "$here/BOOKMRG_HELP.svg"
# Strip time stamps so that a rerun gives the same bytes.
convert "$work/help.png" -strip -define png:exclude-chunks=date,time \
  "PNG24:$here/BOOKMRG_HELP.png"
ls -l "$here/BOOKMRG_HELP.png"
