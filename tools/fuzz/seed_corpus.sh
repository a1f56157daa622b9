#!/bin/sh
# Writes a seed corpus for fuzz_readers into the folder $2 from the game's Data in $1: each shipped
# file prefixed with the byte that selects its reader.
set -e
data="$1/Data"
out="$2"
mkdir -p "$out"
seed() {
    selector="$1"
    file="$2"
    name=$(basename "$file")
    { printf "\\$(printf '%03o' "$selector")"; cat "$file"; } > "$out/$selector-$name"
}
seed 0 "$data/Config.txt"
seed 1 "$data/options.txt"
seed 2 "$data/English.txt"
seed 4 "$data/maps/levels.txt"
for level in "$data"/maps/level[0-9].txt; do seed 5 "$level"; done
for model in helperT helperF bullet grass; do seed 6 "$data/Meshes/$model.x"; done
seed 7 "$data/Font/font_info.txt"
seed 8 "$data/GUI/guiskininfo.txt"
seed 9 "$data/Sound/laser.wav"
seed 9 "$data/Meshes/helperF.png"
