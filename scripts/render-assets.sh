#!/usr/bin/env bash
# Renders the artwork drawn in assets/art/svg to the PNG, JPEG and ICO files the program ships with,
# then checks the pixel size (and transparency) of every output. Run it by hand after editing an SVG;
# the build only uses the committed results. Safe to run again: every output is simply rewritten.
#
#   scripts/render-assets.sh                 render and check
#   scripts/render-assets.sh --sheets DIR    also write contact sheets for a visual check to DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
art="$root/assets/art"
svg="$art/svg"
png="$art/png"

sheets=""
if [ "${1:-}" = "--sheets" ]; then
  sheets="${2:?--sheets needs a directory}"
fi

# Tools: rsvg-convert, icotool and ImageMagick (called by full path, /usr/local/bin/convert is a wrapper).
"$root/scripts/install-deps.sh" librsvg2-bin icoutils imagemagick
convert=/usr/bin/convert
identify=/usr/bin/identify
montage=/usr/bin/montage

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Every output with its expected size and kind: "path WxH alpha|opaque|any".
checks=()

render() { # render SRC W H OUT KIND
  mkdir -p "$(dirname "$4")"
  rsvg-convert -w "$2" -h "$3" -o "$4" "$1"
  checks+=("$4 $2x$3 $5")
}

# Toolbar and menu glyphs, 24 px and 48 px for 200 % screens.
glyphs=("$svg"/glyphs/glyph-*.svg)
if [ ${#glyphs[@]} -ne 16 ]; then
  echo "error: expected 16 glyph sources, found ${#glyphs[@]}" >&2
  exit 1
fi
for i in $(seq -w 0 15); do
  ls "$svg"/glyphs/glyph-"$i"-*.svg >/dev/null 2>&1 || { echo "error: no glyph with index $i" >&2; exit 1; }
done
for f in "${glyphs[@]}"; do
  b=$(basename "$f" .svg)
  render "$f" 24 24 "$png/glyphs/$b.png" alpha
  render "$f" 48 48 "$png/glyphs/$b@2x.png" alpha
done

# Wizard page pictures.
for p in welcome progress; do
  render "$svg/pages/$p.svg" 128 128 "$png/pages/$p.png" alpha
  render "$svg/pages/$p.svg" 256 256 "$png/pages/$p@2x.png" alpha
done
render "$svg/pages/finish.svg" 205 264 "$png/pages/finish.png" alpha
render "$svg/pages/finish.svg" 410 528 "$png/pages/finish@2x.png" alpha

# Tips dialog picture.
render "$svg/tips.svg" 157 199 "$png/tips.png" alpha
render "$svg/tips.svg" 314 398 "$png/tips@2x.png" alpha

# About box picture: opaque, no alpha channel at all.
for scale in 1 2; do
  w=$((565 * scale)) h=$((380 * scale))
  out="$png/about.png"
  [ "$scale" -eq 2 ] && out="$png/about@2x.png"
  rsvg-convert -w "$w" -h "$h" -o "$tmp/about.png" "$svg/about.svg"
  mkdir -p "$png"
  $convert "$tmp/about.png" -background '#FEFEFE' -alpha remove -alpha off -strip "PNG24:$out"
  checks+=("$out ${w}x${h} opaque")
done

# Icons: small sizes have their own drawings (NAME-SIZE.svg) so they stay sharp; 20 and 40 px
# are 16 and 32 px at 125 %. 256 px goes in as PNG, the rest as bitmaps.
make_icon() { # make_icon SVG_DIR NAME ICO SIZE...
  local dir=$1 name=$2 ico=$3 s src
  shift 3
  local pictures=()
  for s in "$@"; do
    src="$dir/$name.svg"
    [ -f "$dir/$name-$s.svg" ] && src="$dir/$name-$s.svg"
    render "$src" "$s" "$s" "$png/$name/$name-$s.png" alpha
    [ "$s" -lt 256 ] && pictures+=("$png/$name/$name-$s.png")
  done
  icotool -c -o "$ico" "${pictures[@]}" -r "$png/$name/$name-256.png"
}
# The application's icon, and the icon of its project files (.DRVK), installed beside it.
icon_sizes=(16 20 24 32 40 48 64 128 256)
make_icon "$svg/icon" icon "$art/vexlor.ico" "${icon_sizes[@]}"
project_sizes=(16 20 24 32 40 48 64 256)
make_icon "$svg/project" project "$art/drovikproject.ico" "${project_sizes[@]}"

# Tip pictures: some as PNG with transparency, some as JPEG on the tips panel colour.
help="$art/help"
for t in multi-select cloud-sync locked-file; do
  render "$svg/help/$t.svg" 360 94 "$help/$t.png" alpha
done
for t in ssd recent; do
  rsvg-convert -w 360 -h 94 -o "$tmp/$t.png" "$svg/help/$t.svg"
  mkdir -p "$help"
  $convert "$tmp/$t.png" -background 'rgb(240,240,240)' -flatten -strip -quality 90 "$help/$t.jpg"
  checks+=("$help/$t.jpg 360x94 opaque")
done

# The installer's welcome and finish pages: a 164 x 314 side picture in the skin's window colour
# with the icon and the welcome page's picture; NSIS takes a BMP without alpha.
rsvg-convert -w 96 -h 96 -o "$tmp/side-icon.png" "$svg/icon/icon.svg"
rsvg-convert -w 128 -h 128 -o "$tmp/side-welcome.png" "$svg/pages/welcome.svg"
mkdir -p "$art/installer"
$convert -size 164x314 'xc:#1C1C1E' "$tmp/side-icon.png" -gravity north -geometry +0+36 -composite \
  "$tmp/side-welcome.png" -gravity south -geometry +0+40 -composite -alpha off -strip \
  "BMP3:$art/installer/wizard.bmp"
checks+=("$art/installer/wizard.bmp 164x314 opaque")

# Check every output.
fail=0
for c in "${checks[@]}"; do
  read -r file size kind <<<"$c"
  if [ ! -s "$file" ]; then
    echo "MISSING  $file" >&2; fail=1; continue
  fi
  got=$($identify -format '%wx%h' "$file")
  if [ "$got" != "$size" ]; then
    echo "SIZE     $file: $got, expected $size" >&2; fail=1
  fi
  channels=$($identify -format '%[channels]' "$file")
  case "$kind" in
    alpha)  [[ "$channels" == *a ]] || { echo "NO ALPHA $file ($channels)" >&2; fail=1; } ;;
    opaque) [[ "$channels" != *a ]] || { echo "HAS ALPHA $file ($channels)" >&2; fail=1; } ;;
  esac
done
check_icon() { # check_icon ICO SIZE...
  local ico=$1 s sizes
  shift
  sizes=$(icotool -l "$ico" | sed -n 's/.*--width=\([0-9]*\) --height=\([0-9]*\).*/\1x\2/p' | sort -n | tr '\n' ' ')
  for s in "$@"; do
    [[ " $sizes" == *" ${s}x${s} "* ]] || { echo "ICON     ${ico##*/} lacks ${s}x${s} (has: $sizes)" >&2; fail=1; }
  done
}
check_icon "$art/vexlor.ico" "${icon_sizes[@]}"
check_icon "$art/drovikproject.ico" "${project_sizes[@]}"
if [ "$fail" -ne 0 ]; then
  echo "render-assets: some outputs are wrong, see above" >&2
  exit 1
fi
echo "render-assets: ${#checks[@]} files, vexlor.ico (${#icon_sizes[@]} sizes) and drovikproject.ico (${#project_sizes[@]} sizes) checked"

# Optional contact sheets for looking the set over.
if [ -n "$sheets" ]; then
  mkdir -p "$sheets"
  g1=("$png"/glyphs/glyph-??-*[!x].png)
  g2=("$png"/glyphs/glyph-*@2x.png)
  for bg in "58,58,58" "0,120,215"; do
    name=${bg//,/-}
    $montage "${g1[@]}" -tile 16x -geometry 24x24+8+8 -background "rgb($bg)" "$tmp/g1.png"
    $convert "$tmp/g1.png" -filter point -resize 300% "$sheets/glyphs-1x-on-$name.png"
    $montage "${g2[@]}" -tile 8x -geometry 48x48+12+12 -background "rgb($bg)" "$sheets/glyphs-2x-on-$name.png"
  done
  $montage "$png"/pages/{welcome,progress,finish}.png "$png/tips.png" "$png"/icon/icon-{16,20,24,32,40,48,64,128}.png \
    "$png"/project/project-{16,20,24,32,40,48,64}.png -tile 10x -geometry +10+10 -background 'rgb(74,74,74)' "$sheets/pictures.png"
  $montage "$png"/pages/{welcome,progress,finish}@2x.png "$png/tips@2x.png" \
    -tile 4x -geometry +10+10 -background 'rgb(74,74,74)' "$sheets/pictures-2x.png"
  cp "$png/about.png" "$sheets/about.png"
  $montage "$help"/*.png "$help"/*.jpg -tile 1x -geometry +10+6 -background 'rgb(240,240,240)' "$sheets/tips.png"
  echo "contact sheets in $sheets"
fi
