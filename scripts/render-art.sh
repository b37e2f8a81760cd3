#!/bin/bash
# Renders the artwork sources in resources/art/ into the PNG and ICO files the
# program uses (resources/style/images/, resources/linux/lanternleaf.png).
# Developer-only: the rendered files are committed, so the build never runs this.
# Needs the Qt 5 Svg development package (already a build dependency), cmake,
# a C++ compiler, ImageMagick's "convert" (for the .ico) and the DejaVu fonts
# (the splash and the PDF icon contain text).
set -euo pipefail

cd "$(dirname "$0")/.."
ART=resources/art
IMG=resources/style/images
TOOL_BUILD=${SVGRENDER_BUILD_DIR:-${TMPDIR:-/tmp}/lanternleaf-svgrender}

cmake -S tools/svgrender -B "$TOOL_BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$TOOL_BUILD" >/dev/null
RENDER="$TOOL_BUILD/svgrender"

MANIFEST=$(mktemp)
ICO_DIR=$(mktemp -d)
trap 'rm -rf "$MANIFEST" "$ICO_DIR"' EXIT
job() { echo "$*" >>"$MANIFEST"; }

# Palette (see resources/art/README.md).
MUTED='#5F6B7A'      # glyphs on light surfaces
INK='#2E3A48'        # strong glyphs on light surfaces
HOVER='#D17A22'      # hover accent on light surfaces (deep amber)
CHECKED='#1F6B52'    # checked / current item (deep green)
FAINT='#A3ACB8'      # quiet marks (unrated star, trash in a row)
DANGER='#C8473B'     # destructive hover

# Line glyphs are drawn with stroke width 2 on a 24 grid; below 20 px the
# stroke is thickened a little so the lines stay as heavy as the 24 px set,
# and a NAME-small.svg with fewer details replaces the glyph where one exists.
glyph() { # glyph NAME OUT SIZE COLOUR [extra replacements...]
    local name=$1 out=$2 size=$3 colour=$4
    shift 4
    local thick="" src="$ART/glyphs/$name.svg"
    if [ "$size" -lt 20 ]; then
        thick='stroke-width="2"=>stroke-width="2.3"'
        if [ -f "$ART/glyphs/$name-small.svg" ]; then src="$ART/glyphs/$name-small.svg"; fi
    fi
    job "$src" "$out" "$size" "$size" "currentColor=>$colour" $thick "$@"
}

# 1. Start-up and application icons.
job "$ART/brand/splash.svg" "$IMG/splash.png" 600 360 dither
job "$ART/brand/splashlogo.svg" "$IMG/splashlogo.png" 200 200
job "$ART/brand/mainbg.svg" "$IMG/mainbg.png" 640 400 dither
job "$ART/brand/icon-small.svg" "$IMG/appicon16.png" 16 16
job "$ART/brand/icon.svg" resources/linux/lanternleaf.png 256 256
for s in 16 24; do job "$ART/brand/icon-small.svg" "$ICO_DIR/$s.png" $s $s; done
for s in 32 48 64 128 256; do job "$ART/brand/icon.svg" "$ICO_DIR/$s.png" $s $s; done

# 2. Busy page: twelve frames, the ring turned 30 degrees each.
for i in $(seq 1 12); do
    job "$ART/misc/loading.svg" "$IMG/loading$i.png" 64 64 "rotate(0=>rotate($(((i - 1) * 30))"
done

# 3. Window bar: 24x24, glyph only; hover adds a rounded plate.
for b in minimize maximize restore close; do
    job "$ART/window/$b.svg" "$IMG/window/$b.png" 24 24 "currentColor=>$MUTED"
    if [ "$b" = close ]; then
        job "$ART/window/$b.svg" "$IMG/window/${b}_hover.png" 24 24 "currentColor=>#FFFFFF" \
            "#0b0b0b=>$DANGER" 'fill-opacity="0"=>fill-opacity="1"'
    else
        job "$ART/window/$b.svg" "$IMG/window/${b}_hover.png" 24 24 "currentColor=>$INK" \
            "#0b0b0b=>#E6E0D4" 'fill-opacity="0"=>fill-opacity="1"'
    fi
done

# 4. Header buttons, 24x24.
for b in library addbook addfolder contents continue settings help search clear; do
    glyph $b "$IMG/header/$b.png" 24 "$MUTED"
    glyph $b "$IMG/header/${b}_hover.png" 24 "$HOVER"
done
glyph addbook "$IMG/header/addbook_white.png" 32 '#FFFFFF'

# 5. Reading toolbar: reader/<button>_<theme>_<size>[_hover].png, the words as
# in the buttons' object names. The toolbar sits on the profile's workground
# colour: white or deep navy for "day" (day and night profiles), dark brown
# for "sepia", so each set must read on both.
declare -A NORMAL=([day]='#8A94A3' [sepia]='#B89A78')
declare -A HOT=([day]='#E08A1E' [sepia]='#FFC15C')
declare -A PX=([small]=16 [big]=30)
for theme in day sepia; do
    for size in small big; do
        px=${PX[$size]}
        fs=fullscreen
        # Big icons are used only in full screen, where the button leaves it.
        [ "$size" = big ] && fs=fullscreenexit
        for pair in "fullscreen:$fs" content:contents bookmark:bookmark increasefont:increasefont \
            decreasefont:decreasefont zoomin:zoomin zoomout:zoomout fitsize:fitsize \
            original:original switchview_table:twocolumns switchview_column:onecolumn \
            switchpartday:profile search:search; do
            button=${pair%%:*}
            g=${pair#*:}
            glyph "$g" "$IMG/reader/${button}_${theme}_${size}.png" "$px" "${NORMAL[$theme]}"
            glyph "$g" "$IMG/reader/${button}_${theme}_${size}_hover.png" "$px" "${HOT[$theme]}"
        done
    done
done

# 6. Library.
STAR="$ART/glyphs/star.svg"
star() { # star OUT STROKE FILL FILL_OPACITY
    job "$STAR" "$IMG/$1" 16 16 "currentColor=>$2" 'stroke-width="2"=>stroke-width="2.1"' \
        "#0b0b0b=>$3" "fill-opacity=\"0\"=>fill-opacity=\"$4\""
}
star raterated.png '#E08A1E' '#F0A030' 1
star rateratedhigh.png "$HOVER" '#F7BC5A' 1
star rateunrated.png "$FAINT" '#FFFFFF' 0
star rateunratedhigh.png '#E08A1E' '#F0A030' 0.25
star rateunratedselect.png "$MUTED" '#FFFFFF' 0
star rateunratedselecthigh.png "$HOVER" '#F0A030' 0.35
glyph trash "$IMG/delete.png" 16 "$FAINT"
glyph trash "$IMG/deletehigh.png" 16 "$DANGER"
glyph trash "$IMG/deleteselect.png" 16 "$MUTED"
glyph trash "$IMG/deleteselecthigh.png" 16 "$DANGER"
glyph restore "$IMG/unerase.png" 16 "$CHECKED"
job "$ART/library/sort.svg" "$IMG/Sort.png" 10 10
job "$ART/library/folder.svg" "$IMG/library/folder.png" 16 16
job "$ART/library/folderopen.svg" "$IMG/library/folderopen.png" 16 16
job "$ART/library/cover.svg" "$IMG/library/cover.png" 180 260
job "$ART/library/pdf.svg" "$IMG/AppIconPdf256.png" 256 256
# The four general categories are checkable buttons; the rest are plain.
for pair in recent:clock all:allbooks favorites:star trash:trash addcategory:plus \
    viewshelf:shelf viewtable:table export:export import:import clearlibrary:trash \
    restoreall:restore cleartrash:trash; do
    name=${pair%%:*}
    g=${pair#*:}
    glyph "$g" "$IMG/library/$name.png" 16 "$MUTED"
    glyph "$g" "$IMG/library/${name}_hover.png" 16 "$HOVER"
    case $name in
    recent | all | favorites | trash) glyph "$g" "$IMG/library/${name}_checked.png" 16 "$CHECKED" ;;
    esac
done
for g in chevronright chevrondown; do
    glyph $g "$IMG/library/$g.png" 12 "$MUTED"
    glyph $g "$IMG/library/${g}_hover.png" 12 "$HOVER"
done

# 7. Settings page and the side panels that share its look.
glyph back "$IMG/settings/back.png" 24 "$MUTED"
glyph back "$IMG/settings/back_hover.png" 24 "$HOVER"
glyph clear "$IMG/settings/close.png" 24 "$MUTED"
glyph clear "$IMG/settings/close_hover.png" 24 "$HOVER"
glyph folder "$IMG/settings/openfolder.png" 16 "$MUTED"
glyph folder "$IMG/settings/openfolder_hover.png" 16 "$HOVER"
glyph check "$IMG/settings/check.png" 16 "$CHECKED"
job "$ART/settings/dropdown.svg" "$IMG/settings/dropdown.png" 12 8 "currentColor=>$MUTED"
job "$ART/settings/dropdown.svg" "$IMG/settings/dropdown_hover.png" 12 8 "currentColor=>$HOVER"
job "$ART/settings/checkbox.svg" "$IMG/settings/checkbox_off.png" 18 18 \
    "#e0e0e1=>#FFFFFF" "#e1e1e2=>$FAINT" "currentColor=>none"
job "$ART/settings/checkbox.svg" "$IMG/settings/checkbox_off_hover.png" 18 18 \
    "#e0e0e1=>#FFFFFF" "#e1e1e2=>$HOVER" "currentColor=>none"
job "$ART/settings/checkbox.svg" "$IMG/settings/checkbox_on.png" 18 18 \
    "#e0e0e1=>$CHECKED" "#e1e1e2=>$CHECKED" "currentColor=>#FFFFFF"
job "$ART/settings/checkbox.svg" "$IMG/settings/checkbox_on_hover.png" 18 18 \
    "#e0e0e1=>#2A8064" "#e1e1e2=>#2A8064" "currentColor=>#FFFFFF"
# Profile previews in the built-in colours (workground, page, text, caption).
job "$ART/settings/profile.svg" "$IMG/settings/profile_day.png" 48 36 \
    "#a0a0a1=>#FFFFFF" "#b0b0b1=>#F9F9F9" "#c0c0c1=>#9A9A9A" "#d0d0d1=>#000000"
job "$ART/settings/profile.svg" "$IMG/settings/profile_night.png" 48 36 \
    "#a0a0a1=>#0F1536" "#b0b0b1=>#010819" "#c0c0c1=>#486682" "#d0d0d1=>#CAC07C"
job "$ART/settings/profile.svg" "$IMG/settings/profile_sepia.png" 48 36 \
    "#a0a0a1=>#291503" "#b0b0b1=>#F0E8D1" "#c0c0c1=>#8A7360" "#d0d0d1=>#B5936C"

# 8. Message boxes and the password prompt.
for m in warning question information error lock; do
    job "$ART/message/$m.svg" "$IMG/message/$m.png" 48 48
done

"$RENDER" "$MANIFEST"

convert "$ICO_DIR"/16.png "$ICO_DIR"/24.png "$ICO_DIR"/32.png "$ICO_DIR"/48.png \
    "$ICO_DIR"/64.png "$ICO_DIR"/128.png "$ICO_DIR"/256.png "$IMG/lanternleaf.ico"

echo "total size of $IMG: $(du -sh --apparent-size "$IMG" | cut -f1)"

# Every rendered image must be reachable as a resource.
missing=0
while read -r f; do
    rel=${f#resources/style/}
    if ! grep -q "alias=\"$rel\"" resources/resources.qrc; then
        echo "not in resources/resources.qrc: $rel" >&2
        missing=1
    fi
done < <(find "$IMG" -type f -name '*.png' -o -type f -name '*.ico')
exit $missing
