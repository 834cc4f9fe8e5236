#!/bin/bash
# Draws every picture of the main window and the about box into this folder, and the program's icon
# at the sizes of the desktop's icon theme (desktop_icon_SIZE.png, installed under hicolor).
#
# The pictures are committed, so the build never runs this script; run it by hand after changing a
# drawing:  resources/pictures/make_pictures.sh
# Needs ImageMagick 6 (`convert`, Debian package imagemagick) and the DejaVu fonts
# (Debian package fonts-dejavu-core).
#
# Icons are described on their final pixel grid and rendered SUPERSAMPLE times larger, then
# box-filtered down. That gives exact-coverage antialiasing for slanted edges, while outlines placed
# on half-pixel coordinates (x.5) still land on whole pixels and stay sharp at 1x.
set -euo pipefail
cd "$(dirname "$0")"

readonly SUPERSAMPLE=8
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Palette shared by all pictures.
readonly PALE_GREEN='#E9FFE9'
readonly SAGE='#889988'
readonly MIST='#F6F9F6'
readonly LEAF_LIGHT='#7ED69C'
readonly LEAF='#3DA866'
readonly LEAF_DARK='#1F6B3C'
readonly FOREST='#17512E'
readonly SLATE='#5F735F'

# Metadata off so that rerunning the script reproduces the committed files byte for byte.
readonly CLEAN=(-strip -define 'png:exclude-chunks=date,time')

# gradient_shape OUT SIZE TOP BOTTOM MVG: the shape MVG (in icon pixels) filled with a vertical
# gradient from TOP to BOTTOM, on a transparent supersampled canvas.
gradient_shape() {
    local out=$1 size=$2 top=$3 bottom=$4 mvg=$5
    local px=$((size * SUPERSAMPLE))
    convert -size "${px}x${px}" "gradient:${top}-${bottom}" \
        \( -size "${px}x${px}" xc:black -fill white -draw "scale $SUPERSAMPLE,$SUPERSAMPLE $mvg" \) \
        -alpha off -compose CopyOpacity -composite "$out"
}

# stroke_on IMAGE COLOUR WIDTH MVG: outlines MVG (in icon pixels) on the supersampled IMAGE.
stroke_on() {
    local image=$1 colour=$2 width=$3 mvg=$4
    convert "$image" -fill none -stroke "$colour" -strokewidth "$width" \
        -draw "scale $SUPERSAMPLE,$SUPERSAMPLE $mvg" "$image"
}

# fill_on IMAGE COLOUR MVG: fills MVG (in icon pixels) on the supersampled IMAGE.
fill_on() {
    local image=$1 colour=$2 mvg=$3
    convert "$image" -fill "$colour" -stroke none -draw "scale $SUPERSAMPLE,$SUPERSAMPLE $mvg" "$image"
}

# stack OUT LAYER...: composites supersampled layers bottom to top into OUT.
stack() {
    local out=$1
    shift
    convert "$@" -background none -compose Over -flatten "$out"
}

# finish BIG SIZE OUT: reduces the supersampled BIG to SIZE x SIZE and writes a 32-bit RGBA PNG.
finish() {
    convert "$1" -filter Box -resize "$2x$2" "${CLEAN[@]}" "PNG32:$3"
}

# greyed IN OUT: the disabled look of an icon - no colour, lighter, a little transparent.
greyed() {
    convert "$1" -modulate 100,0,100 -channel RGB +level 38%,92% \
        -channel A -evaluate multiply 0.8 +channel "${CLEAN[@]}" "PNG32:$2"
}

make_title_gradient() {
    # The gradient runs top to bottom; turning it a quarter left puts white at the left edge.
    convert -size 39x512 "gradient:white-${PALE_GREEN}" -rotate -90 "${CLEAN[@]}" PNG24:title_gradient.png
}

make_arrows() {
    local outline='path "M 1.5,8 L 8.5,1.5 L 8.5,5.5 L 14.5,5.5 L 14.5,10.5 L 8.5,10.5 L 8.5,14.5 Z"'
    gradient_shape "$tmp/arrow.png" 16 "$LEAF_LIGHT" "$LEAF" "$outline"
    # A lighter line under the upper edges gives the arrow some relief.
    fill_on "$tmp/arrow.png" '#FFFFFF66' 'path "M 3,8 L 8,3.4 L 8,4.5 L 4.2,8 Z" rectangle 9,6 14,7'
    stroke_on "$tmp/arrow.png" "$LEAF_DARK" 1 "stroke-linejoin miter $outline"
    finish "$tmp/arrow.png" 16 arrow_back.png
    convert arrow_back.png -flop "${CLEAN[@]}" PNG32:arrow_next.png
    greyed arrow_back.png arrow_back_disabled.png
    greyed arrow_next.png arrow_next_disabled.png
}

make_open_folder() {
    local back='path "M 1.5,13.5 L 1.5,2.5 L 5.5,2.5 L 7.5,4.5 L 12.5,4.5 L 12.5,13.5 Z"'
    local front='path "M 1.5,13.5 L 4.5,7.5 L 15.5,7.5 L 12.5,13.5 Z"'
    gradient_shape "$tmp/folder_back.png" 16 '#F1C65A' '#C98F22' "$back"
    stroke_on "$tmp/folder_back.png" '#8A5A10' 1 "stroke-linejoin round $back"
    # A sheet of paper sticking out of the open folder.
    local px=$((16 * SUPERSAMPLE))
    convert -size "${px}x${px}" xc:none -fill white -stroke "$SLATE" -strokewidth 1 \
        -draw "scale $SUPERSAMPLE,$SUPERSAMPLE rectangle 3.5,5.5 11.5,10" "$tmp/folder_sheet.png"
    gradient_shape "$tmp/folder_front.png" 16 '#FFE9A3' '#F0B43C' "$front"
    stroke_on "$tmp/folder_front.png" '#8A5A10' 1 "stroke-linejoin round $front"
    stack "$tmp/folder.png" "$tmp/folder_back.png" "$tmp/folder_sheet.png" "$tmp/folder_front.png"
    finish "$tmp/folder.png" 16 open_folder.png
}

make_copy() {
    local back_page='rectangle 1.5,0.5 10.5,11.5'
    local front_page='path "M 5.5,4.5 L 11.5,4.5 L 14.5,7.5 L 14.5,15.5 L 5.5,15.5 Z"'
    gradient_shape "$tmp/page_back.png" 16 white "$PALE_GREEN" "$back_page"
    fill_on "$tmp/page_back.png" '#A9BBA9' 'rectangle 3,2 9,3 rectangle 3,4 9,5 rectangle 3,6 5,7'
    stroke_on "$tmp/page_back.png" "$SLATE" 1 "$back_page"
    gradient_shape "$tmp/page_front.png" 16 white "$MIST" "$front_page"
    fill_on "$tmp/page_front.png" "$LEAF" 'rectangle 7,9 13,10 rectangle 7,11 13,12 rectangle 7,13 11,14'
    fill_on "$tmp/page_front.png" '#D5E6D5' 'path "M 11.5,4.5 L 11.5,7.5 L 14.5,7.5 Z"'
    stroke_on "$tmp/page_front.png" "$SLATE" 1 "stroke-linejoin miter $front_page path \"M 11.5,4.5 L 11.5,7.5 L 14.5,7.5\""
    stack "$tmp/copy.png" "$tmp/page_back.png" "$tmp/page_front.png"
    finish "$tmp/copy.png" 16 copy.png
}

# app_icon SIZE OUT: the application icon - a film frame with a flash bolt between script brackets -
# drawn on a 48-unit grid and rendered at SIZE pixels.
app_icon() {
    local size=$1 out=$2
    local unit
    unit=$(echo "scale=6; $size * $SUPERSAMPLE / 48" | bc)
    local px=$((size * SUPERSAMPLE))
    local at="scale $unit,$unit"
    local body='roundrectangle 2.5,2.5 45.5,45.5 8,8'
    local bolt='path "M 27.5,12.5 L 17.5,26 L 23,26 L 20.5,36 L 31,21.5 L 25.5,21.5 L 29.5,12.5 Z"'
    local holes='' frame='roundrectangle 5,11.5 43,36.5 3,3' brackets='' x
    if ((size >= 24)); then
        for x in 8 15 22 29 36; do
            holes+="roundrectangle $x,5.5 $((x + 4)),8.5 1,1 roundrectangle $x,39.5 $((x + 4)),42.5 1,1 "
        done
        brackets='polyline 13.5,18 8.5,24 13.5,30 polyline 34.5,18 39.5,24 34.5,30'
    else
        # Too small for perforations and brackets: a bigger bolt on a bigger frame reads better.
        frame='roundrectangle 7,7 41,41 4,4'
        bolt="translate 24,24 scale 1.45,1.45 translate -24.2,-24.2 $bolt"
    fi
    convert -size "${px}x${px}" "gradient:${LEAF}-${LEAF_DARK}" \
        \( -size "${px}x${px}" xc:black -fill white -draw "$at $body" \) \
        -alpha off -compose CopyOpacity -composite -compose Over \
        -fill none -stroke "$FOREST" -strokewidth 1 -draw "$at $body" \
        -stroke none -fill '#E9FFE9E0' -draw "$at $holes" \
        -fill '#12462A' -draw "$at $frame" \
        -fill none -stroke "$PALE_GREEN" -strokewidth 2.6 -draw "$at stroke-linecap round stroke-linejoin round $brackets" \
        -fill '#FFD54A' -stroke '#B07A10' -strokewidth 0.9 -draw "$at stroke-linejoin round $bolt" \
        "$tmp/icon_big.png"
    convert "$tmp/icon_big.png" -filter Box -resize "${size}x${size}" "${CLEAN[@]}" "PNG32:$out"
}

make_app_icon() {
    app_icon 48 app_icon.png
    app_icon 32 "$tmp/icon32.png"
    app_icon 16 "$tmp/icon16.png"
    convert app_icon.png "$tmp/icon32.png" "$tmp/icon16.png" "${CLEAN[@]}" app_icon.ico
}

# The icon theme wants one picture per size; each is drawn at its own size, so the small ones get the
# simpler drawing and the big ones stay sharp. These sizes are the ones shell/CMakeLists.txt installs.
make_desktop_icons() {
    local size
    for size in 16 22 24 32 48 64 128 256; do
        app_icon "$size" "desktop_icon_${size}.png"
    done
}

# Adverts: 122 x 48 banners for the maker's sites, drawn at 1x so the small text keeps its hinting.
readonly AD_SIZE=122x48
readonly BOLD=DejaVu-Sans-Bold
readonly CONDENSED=DejaVu-Sans-Condensed
readonly CONDENSED_BOLD=DejaVu-Sans-Condensed-Bold

# advert NUMBER BORDER BACKGROUND DRAWING...: writes advert_NUMBER.jpg - the ImageMagick DRAWING
# operations over BACKGROUND, framed in BORDER. No chroma subsampling: it would smear the coloured
# small text.
advert() {
    local number=$1 border=$2 background=$3
    shift 3
    convert -size "$AD_SIZE" "$background" "$@" -shave 1x1 -bordercolor "$border" -border 1 \
        -strip -quality 92 -sampling-factor 1x1 "advert_${number}.jpg"
}

# badge FILL OUTLINE: the drawing operations of the round badge at the left end of an advert.
badge() {
    printf '%s\n' -fill "$1" -stroke "$2" -strokewidth 1 -draw 'circle 21,24 21,8.5' -stroke none
}

# words FONT SIZE COLOUR POSITION TEXT: the drawing operations of one line of text.
words() {
    printf '%s\n' -font "$1" -pointsize "$2" -fill "$3" -annotate "$4" "$5"
}

make_advert_home() {
    app_icon 32 "$tmp/icon32.png"
    local drawing
    mapfile -t drawing < <(words "$BOLD" 15 "$LEAF_DARK" +43+23 'Sorvane'
        words "$CONDENSED" 10 "$SLATE" +44+37 'Flash wizard')
    convert -size 48x122 "gradient:white-${PALE_GREEN}" -rotate -90 "$tmp/home_background.png"
    advert 1 "$SAGE" "$tmp/home_background.png" "$tmp/icon32.png" -geometry +6+8 -composite "${drawing[@]}"
}

make_advert_templates() {
    local thumbs='' headers='' x y drawing
    for x in 91 105; do
        for y in 10 25; do
            thumbs+="roundrectangle $x.5,$y.5 $((x + 11)).5,$((y + 11)).5 1.5,1.5 "
            headers+="rectangle $((x + 1)),$((y + 1)) $((x + 11)),$((y + 3)) "
        done
    done
    mapfile -t drawing < <(words "$BOLD" 10 "$PALE_GREEN" +8+16 'FLASH'
        words "$BOLD" 13 white +7+30 'Templates'
        words "$CONDENSED" 10 '#BFE6CC' +8+42 'fresh designs')
    advert 2 "$FOREST" "gradient:${LEAF}-${FOREST}" \
        -fill "$PALE_GREEN" -stroke '#0E3A21' -strokewidth 1 -draw "$thumbs" \
        -stroke none -fill "$LEAF_LIGHT" -draw "$headers" "${drawing[@]}"
}

make_advert_tools() {
    local drawing
    mapfile -t drawing < <(badge "$LEAF" "$LEAF_DARK"
        printf '%s\n' -fill '#FFFFFF40' -draw 'ellipse 21,17 11,6 0,360'
        words "$CONDENSED_BOLD" 10 white +9+28 'FREE'
        words "$CONDENSED_BOLD" 13 "$LEAF_DARK" +41+22 'Flash Tools'
        words "$CONDENSED" 10 "$SLATE" +42+36 'download now')
    advert 3 "$SAGE" "xc:${MIST}" "${drawing[@]}"
}

make_advert_tutorials() {
    local drawing
    mapfile -t drawing < <(badge "$MIST" '#4E604E'
        printf '%s\n' -fill "$LEAF_DARK" -draw 'path "M 17,16.5 L 29,24 L 17,31.5 Z"'
        words "$BOLD" 12 white +41+18 'Flash'
        words "$BOLD" 12 "$PALE_GREEN" +41+31 'Tutorials'
        words "$CONDENSED" 10 '#F0F7F0' +42+43 'step by step')
    advert 4 '#4E604E' 'gradient:#A3B5A3-#6F836F' "${drawing[@]}"
}

make_adverts() {
    make_advert_home
    make_advert_templates
    make_advert_tools
    make_advert_tutorials
}

main() {
    make_title_gradient
    make_arrows
    make_open_folder
    make_copy
    make_app_icon
    make_desktop_icons
    make_adverts
}

main "$@"
