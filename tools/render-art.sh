#!/usr/bin/env bash
# Renders the drawing and the icons in res/ from their SVG sources in
# res/art/, and checks what it wrote against the formats the resource script
# needs: MYBMP.bmp 449 x 188, 24 bits, uncompressed; app.ico 16 x 16 and
# 32 x 32, small.ico 16 x 16, about.ico 48 x 48, each image 8 bits (256
# colours), the rockets opaque, the flag opaque in its top 31 rows and
# transparent, through the icon's mask, in the 17 rows below.
#
#   tools/render-art.sh           writes the four files into res/
#   tools/render-art.sh --check   renders into a temporary folder and fails,
#                                 naming the file, unless each is byte for
#                                 byte the one in res/
#
# rsvg-convert draws each source, ImageMagick's convert writes the bitmap and
# icotool packs the icons and reads them back for the check. The captions are
# SVG text in DejaVu Sans: fontconfig is shown the fonts-dejavu-core folder
# only, so that no other font on the machine can stand in for it. Nothing in
# the files depends on the time or the machine: rendering again gives the
# same bytes.
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"

case "${1:-}" in
    "") check=false ;;
    --check) check=true ;;
    *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
out=$tmp/res
mkdir "$out"
cat >"$tmp/fonts.conf" <<EOF
<?xml version="1.0"?>
<fontconfig>
  <dir>/usr/share/fonts/truetype/dejavu</dir>
  <cachedir>$tmp/fontconfig</cachedir>
</fontconfig>
EOF
export FONTCONFIG_FILE=$tmp/fonts.conf

for source in res/art/*.svg; do
    name=${source##*/}
    rsvg-convert "$source" -o "$tmp/${name%.svg}.png"
done
convert "$tmp/MYBMP.png" -alpha off -type TrueColor BMP3:"$out/MYBMP.bmp"
icotool -c -o "$out/app.ico" -b 8 "$tmp/IDI_APP-16.png" -b 8 "$tmp/IDI_APP-32.png"
icotool -c -o "$out/small.ico" -b 8 "$tmp/IDI_SMALL.png"
icotool -c -o "$out/about.ico" -b 8 "$tmp/IDI_ABOUT.png"

fail() { echo "render-art: $*" >&2; exit 1; }

field() {  # offset, bytes: a little-endian number of the bitmap's headers
    od -An -tu"$2" -j "$1" -N "$2" "$out/MYBMP.bmp" | tr -d ' '
}
# Header size, width, height (bottom-up), bits per pixel, compression (BI_RGB).
[ "$(field 14 4) $(field 18 4) $(field 22 4) $(field 28 2) $(field 30 4)" = "40 449 188 24 0" ] ||
    fail "MYBMP.bmp is not 449 x 188 pixels, 24 bits, uncompressed"

alpha() {  # PNG, first row, rows, fx statistic: the statistic of their alpha
    convert "$1" -alpha extract -crop "x$3+0+$2" -format "%[fx:$4]" info:
}

check_icon() {  # file, then each image as WIDTHxHEIGHTxBITS:ROWS, its top ROWS opaque, the rest transparent
    local file=$1 image_size want="" got i=0 image rows height
    shift
    for image_size; do want+=" ${image_size%:*}"; done
    got=$(icotool -l "$out/$file" | sed -E 's/.*--width=([0-9]+) --height=([0-9]+) --bit-depth=([0-9]+).*/ \1x\2x\3/' | tr -d '\n')
    [ "$got" = "$want" ] || fail "$file holds the images$got, not$want"
    for image_size; do
        i=$((i + 1))
        image=$tmp/$file-$i.png
        rows=${image_size#*:}
        height=${image_size%x*}
        height=${height#*x}
        icotool -x -i "$i" -o "$image" "$out/$file"
        [ "$(alpha "$image" 0 "$rows" minima)" = 1 ] &&
            { [ "$rows" -eq "$height" ] || [ "$(alpha "$image" "$rows" $((height - rows)) maxima)" = 0 ]; } ||
            fail "$file, image $i: not opaque in exactly its top $rows rows"
    done
}
check_icon app.ico 16x16x8:16 32x32x8:32
check_icon small.ico 16x16x8:16
check_icon about.ico 48x48x8:31

files=(MYBMP.bmp app.ico small.ico about.ico)
if ! $check; then
    for f in "${files[@]}"; do cp "$out/$f" "res/$f" && echo "res/$f"; done
    exit 0
fi
status=0
for f in "${files[@]}"; do
    if cmp -s "$out/$f" "res/$f"; then
        echo "res/$f: as rendered"
    else
        echo "render-art: res/$f is not what res/art/ renders (tools/render-art.sh writes it)" >&2
        status=1
    fi
done
exit $status
