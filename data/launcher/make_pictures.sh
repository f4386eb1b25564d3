#!/usr/bin/env bash
# Renders the launcher's six background pictures and their thumbnails.
#
#   HAIKEI1.PNG .. HAIKEI6.PNG    792 x 580  the menu window's client area
#   HAIKEI1S.PNG .. HAIKEI6S.PNG   28 x 21   thumbnails for the picture strip
#
# The window is 11880 x 8700 twips (15 twips a pixel). The menu's button
# labels stand in a column on the right (x 555..765, y 90..520), the title and
# the thumbnail strip at the top left, "Esc:終了" at the bottom left, so every
# picture keeps a light, quiet panel behind the buttons and only soft shapes
# elsewhere: black text must stay readable on every one of them.
#
# Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert. The output is
# reproducible: run it again and commit the PNG files it writes.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

W=792
H=580

# Opening of every picture: size, a vertical wash from $1 (top) to $2 (bottom).
svg_head() {
  cat <<EOF
<svg xmlns="http://www.w3.org/2000/svg" width="$W" height="$H" viewBox="0 0 $W $H">
  <defs>
    <linearGradient id="wash" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="$1"/>
      <stop offset="1" stop-color="$2"/>
    </linearGradient>
    <linearGradient id="panel" x1="0" y1="0" x2="1" y2="0">
      <stop offset="0" stop-color="#ffffff" stop-opacity="0.50"/>
      <stop offset="0.25" stop-color="#ffffff" stop-opacity="0.72"/>
      <stop offset="1" stop-color="#ffffff" stop-opacity="0.78"/>
    </linearGradient>
    <radialGradient id="glow" cx="0.5" cy="0.5" r="0.5">
      <stop offset="0" stop-color="#ffffff" stop-opacity="0.55"/>
      <stop offset="1" stop-color="#ffffff" stop-opacity="0"/>
    </radialGradient>
  </defs>
  <rect width="$W" height="$H" fill="url(#wash)"/>
EOF
}

# Closing of every picture: the light panel behind the button column, a band
# under the title and the bottom labels, and a thin rule in the accent $1.
svg_tail() {
  cat <<EOF
  <rect x="0" y="0" width="$W" height="74" fill="#ffffff" opacity="0.45"/>
  <rect x="0" y="74" width="$W" height="1.5" fill="$1" opacity="0.55"/>
  <rect x="536" y="84" width="244" height="452" rx="14" fill="url(#panel)"/>
  <rect x="536" y="84" width="244" height="452" rx="14" fill="none" stroke="$1" stroke-opacity="0.35"/>
  <rect x="0" y="538" width="$W" height="42" fill="#ffffff" opacity="0.50"/>
  <rect x="0" y="537" width="$W" height="1" fill="$1" opacity="0.40"/>
</svg>
EOF
}

# 1: sky. Pale blue with soft clouds.
picture1() {
  svg_head "#cfe6f7" "#f4f9fd"
  cat <<'EOF'
  <ellipse cx="150" cy="190" rx="190" ry="70" fill="#ffffff" opacity="0.55"/>
  <ellipse cx="260" cy="160" rx="120" ry="55" fill="#ffffff" opacity="0.45"/>
  <ellipse cx="380" cy="330" rx="210" ry="60" fill="#ffffff" opacity="0.40"/>
  <ellipse cx="120" cy="430" rx="160" ry="45" fill="#ffffff" opacity="0.35"/>
  <circle cx="470" cy="150" r="140" fill="url(#glow)"/>
EOF
  svg_tail "#4a90c8"
}

# 2: fresh green. Soft diagonal bands.
picture2() {
  svg_head "#e3f3dc" "#f7fbf2"
  cat <<'EOF'
  <g opacity="0.35">
    <path d="M -40 520 L 260 80 L 330 80 L 30 520 Z" fill="#b9dfa8"/>
    <path d="M 80 520 L 380 80 L 410 80 L 110 520 Z" fill="#cbe8bc"/>
    <path d="M 170 520 L 470 80 L 560 80 L 260 520 Z" fill="#a9d597"/>
  </g>
  <circle cx="120" cy="140" r="110" fill="url(#glow)"/>
EOF
  svg_tail "#5f9e4b"
}

# 3: the standard picture. Blue-grey with a faint chart in the free area.
picture3() {
  svg_head "#dfe7ef" "#f6f8fb"
  cat <<'EOF'
  <g fill="#9fb6cc" opacity="0.30">
    <rect x="70"  y="400" width="46" height="110" rx="3"/>
    <rect x="140" y="360" width="46" height="150" rx="3"/>
    <rect x="210" y="320" width="46" height="190" rx="3"/>
    <rect x="280" y="250" width="46" height="260" rx="3"/>
    <rect x="350" y="210" width="46" height="300" rx="3"/>
    <rect x="420" y="160" width="46" height="350" rx="3"/>
  </g>
  <polyline points="60,470 140,440 230,360 300,330 380,250 470,200" fill="none"
            stroke="#6d8fb0" stroke-width="3" stroke-linecap="round" stroke-linejoin="round" opacity="0.35"/>
  <rect x="50" y="512" width="440" height="2" fill="#7f98b2" opacity="0.35"/>
  <circle cx="470" cy="200" r="6" fill="#6d8fb0" opacity="0.40"/>
EOF
  svg_tail "#5a7fa6"
}

# 4: warm beige. Soft arcs like a sunrise.
picture4() {
  svg_head "#fbeedd" "#fdf8f1"
  cat <<'EOF'
  <g fill="none" stroke="#e8bf8e" stroke-width="26" opacity="0.25">
    <circle cx="60" cy="560" r="160"/>
    <circle cx="60" cy="560" r="250"/>
    <circle cx="60" cy="560" r="340"/>
    <circle cx="60" cy="560" r="430"/>
  </g>
  <circle cx="60" cy="560" r="90" fill="#f3cfa0" opacity="0.30"/>
EOF
  svg_tail "#c58a48"
}

# 5: lavender. Overlapping translucent squares.
picture5() {
  svg_head "#ebe6f5" "#f9f7fc"
  cat <<'EOF'
  <g opacity="0.28">
    <rect x="60"  y="130" width="170" height="170" rx="16" fill="#b7a8dc" transform="rotate(-8 145 215)"/>
    <rect x="190" y="220" width="200" height="200" rx="18" fill="#c9bde6" transform="rotate(6 290 320)"/>
    <rect x="330" y="120" width="130" height="130" rx="12" fill="#a897d3" transform="rotate(14 395 185)"/>
    <rect x="90"  y="360" width="120" height="120" rx="12" fill="#d6ccee" transform="rotate(-4 150 420)"/>
  </g>
EOF
  svg_tail "#7d6bb3"
}

# 6: light grey paper with a faint grid, like a worksheet.
picture6() {
  svg_head "#eceeef" "#f8f9f9"
  cat <<'EOF'
  <defs>
    <pattern id="grid" width="64" height="22" patternUnits="userSpaceOnUse">
      <path d="M 64 0 L 0 0 0 22" fill="none" stroke="#b5bcc2" stroke-width="1"/>
    </pattern>
  </defs>
  <rect x="0" y="75" width="$W" height="462" fill="url(#grid)" opacity="0.45"/>
  <rect x="128" y="207" width="192" height="66" fill="#cfe3d3" opacity="0.45"/>
  <rect x="128" y="207" width="192" height="66" fill="none" stroke="#7fa88a" stroke-width="2" opacity="0.45"/>
EOF
  svg_tail "#6f7a84"
}

for n in 1 2 3 4 5 6; do
  "picture$n" | sed "s/\$W/$W/g" >"$work/HAIKEI$n.svg"
  rsvg-convert -w "$W" -h "$H" -o "$work/HAIKEI$n.png" "$work/HAIKEI$n.svg"
  # Strip time stamps and other chunks so that a rerun gives the same bytes.
  convert "$work/HAIKEI$n.png" -strip -define png:exclude-chunks=date,time \
    "PNG24:$here/HAIKEI$n.PNG"
  # The thumbnails get stronger colours so that the six stay distinguishable
  # at this size.
  convert "$work/HAIKEI$n.png" -resize 28x21! -modulate 90,200 -strip -define png:exclude-chunks=date,time \
    "PNG24:$here/HAIKEI${n}S.PNG"
done

ls -l "$here"/HAIKEI*.PNG
