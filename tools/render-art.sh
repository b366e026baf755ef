#!/usr/bin/env bash
# Renders the drawing and the icons in res/ from their SVG sources in
# res/art/, and checks what it wrote against the formats the resource script
# needs: MYBMP.bmp 449 x 188, 24 bits, uncompressed; each icon's images of
# the sizes and bits in the table below, opaque in their top rows as it
# says and transparent, through the icon's mask, in the rows below them.
#
#   tools/render-art.sh           writes the four files into res/
#   tools/render-art.sh --check   renders into a temporary folder and fails,
#                                 naming the file, unless the render and the
#                                 files in res/ are in those formats and each
#                                 file in res/ shows, within the tolerance
#                                 below, the pixels of the render
#
# rsvg-convert draws each source, ImageMagick writes the bitmap and compares
# pictures, and icotool packs the icons and reads them back. The captions are
# SVG text in DejaVu Sans: fontconfig is shown the fonts-dejavu-core folder
# only, so that no other font on the machine can stand in for it. Nothing in
# the files depends on the time or the machine, but another release of
# librsvg or ImageMagick may round some edges differently: hence the
# tolerance, and the README's figures behind it.
. "$(dirname "${BASH_SOURCE[0]}")/deps-ready.sh" check

case "${1:-}" in
    "") check=false ;;
    --check) check=true ;;
    *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac

# The tolerance: no channel of a pixel further than this from the render, in
# 255ths, and no more than this share of a picture's pixels different at all.
most_level=8
most_percent=2

# Each icon and its images: the source in res/art/, the size (square), the
# bits per pixel and how many rows from the top are opaque (the rockets
# wholly, the flag in its top 31 rows).
icons=(
    "app.ico   IDI_APP-16:16:8:16 IDI_APP-32:32:8:32"
    "small.ico IDI_SMALL:16:8:16"
    "about.ico IDI_ABOUT:48:8:31"
)
im=tools/magick.sh

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
"$im" "$tmp/MYBMP.png" -alpha off -type TrueColor BMP3:"$out/MYBMP.bmp"
files=(MYBMP.bmp)
for icon in "${icons[@]}"; do
    read -r file images <<<"$icon"
    packed=()
    for image in $images; do
        IFS=: read -r source size bits rows <<<"$image"
        packed+=(-b "$bits" "$tmp/$source.png")
    done
    icotool -c -o "$out/$file" "${packed[@]}"
    files+=("$file")
done

fail() { echo "render-art: $*" >&2; exit 1; }

# The checks below take a folder: res/, or $out with the render of res/art/.
label() {  # folder, file: the file's name in messages
    [ "$1" = res ] && echo "res/$2" || echo "$2 rendered from res/art/"
}
images() {  # folder: where check_icon leaves the icons' images as PNG
    [ "$1" = res ] && echo "$tmp/res-images" || echo "$tmp/render-images"
}

field() {  # file, offset, bytes: a little-endian number of a bitmap's headers
    od -An -tu"$3" -j "$2" -N "$3" "$1" | tr -d ' '
}
check_bitmap() {  # folder
    local bmp=$1/MYBMP.bmp
    # Header size, width, height (bottom-up), bits per pixel, compression (BI_RGB).
    [ "$(field "$bmp" 14 4) $(field "$bmp" 18 4) $(field "$bmp" 22 4) $(field "$bmp" 28 2) $(field "$bmp" 30 4)" = "40 449 188 24 0" ] ||
        fail "$(label "$1" MYBMP.bmp) is not 449 x 188 pixels, 24 bits, uncompressed"
}

alpha() {  # PNG, first row, rows, fx statistic: the statistic of their alpha
    "$im" "$1" -alpha extract -crop "x$3+0+$2" -format "%[fx:$4]" info:
}

check_icon() {  # folder, then a line of the table of icons
    local folder=$1 file images image want="" got i=0 source size bits rows
    read -r file images <<<"$2"
    mkdir -p "$(images "$folder")"
    for image in $images; do
        IFS=: read -r source size bits rows <<<"$image"
        want+=" ${size}x${size}x$bits"
    done
    got=$(icotool -l "$folder/$file" | sed -E 's/.*--width=([0-9]+) --height=([0-9]+) --bit-depth=([0-9]+).*/ \1x\2x\3/' | tr -d '\n')
    [ "$got" = "$want" ] || fail "$(label "$folder" "$file") holds the images$got, not$want"
    for image in $images; do
        IFS=: read -r source size bits rows <<<"$image"
        i=$((i + 1))
        image=$(images "$folder")/$file-$i.png
        icotool -x -i "$i" -o "$image" "$folder/$file"
        [ "$(alpha "$image" 0 "$rows" minima)" = 1 ] &&
            { [ "$rows" -eq "$size" ] || [ "$(alpha "$image" "$rows" $((size - rows)) maxima)" = 0 ]; } ||
            fail "$(label "$folder" "$file"), image $i: not opaque in exactly its top $rows rows"
    done
}

check_formats() {  # folder
    local icon
    check_bitmap "$1"
    for icon in "${icons[@]}"; do check_icon "$1" "$icon"; done
}

check_formats "$out"
if ! $check; then
    for f in "${files[@]}"; do cp "$out/$f" "res/$f" && echo "res/$f"; done
    exit 0
fi
check_formats res

# Of two pictures of one size: the largest difference of a channel, in
# 255ths, the pixels that differ at all, and all the pixels. Transparent
# pixels are put on magenta: check_formats has found the same pixels
# transparent in both.
differ() {
    "$im" "$1" "$2" -background '#ff00ff' -alpha remove -alpha off \
        -compose difference -composite -separate -evaluate-sequence max \
        -format '%[fx:round(255*maxima)] ' -write info: \
        -threshold 0 -format '%[fx:round(w*h*mean)] %[fx:w*h]' info:
}

# Each file in res/ against the render, image by image.
status=0
for f in "${files[@]}"; do
    if [ "$f" = MYBMP.bmp ]; then
        pairs=("res/$f" "$out/$f")
    else
        pairs=()
        for image in "$(images "$out")/$f"-*.png; do pairs+=("$(images res)/${image##*/}" "$image"); done
    fi
    largest=0 differing=0 name=res/$f
    for ((i = 0; i < ${#pairs[@]}; i += 2)); do
        [ ${#pairs[@]} -eq 2 ] || name="res/$f, image $((i / 2 + 1)),"
        read -r level count total <<<"$(differ "${pairs[i]}" "${pairs[i + 1]}")"
        if [ "$level" -gt "$most_level" ] || [ $((count * 100)) -gt $((most_percent * total)) ]; then
            echo "render-art: $name differs from the render in $count of its $total pixels, by up to $level/255" \
                "(allowed: $most_level/255, in $most_percent % of the pixels; tools/render-art.sh writes it)" >&2
            status=1
        fi
        differing=$((differing + count))
        [ "$level" -le "$largest" ] || largest=$level
    done
    if cmp -s "$out/$f" "res/$f"; then
        echo "res/$f: as rendered, byte for byte"
    else
        echo "res/$f: $differing pixels unlike the render, by up to $largest/255 (not the same bytes)"
    fi
done
exit $status
