#!/bin/sh
# Plays every level of the campaign with the demo bot, SEEDS sessions each (seeds 1..SEEDS, at most 600 s
# of game time), and prints one row per level: the games won, the game time and the score of the won
# games (median) and of all, and how the lost ones ended (the base fell, no tanks left, or still going
# at 600 s), with the lives and the enemies left (median) at that end.
#   tools/demobot/campaign-table.sh [BUILD_DIR] [SEEDS] [FIRST] [LAST] [STRATEGY]
#   (build, 6, 1, the last level, defend; STRATEGY is the bot's --strategy, hunt or defend)
# BRELVOX_TABLE_JOBS=N plays N levels at once (default 1); the rows come out in the levels' order.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
seeds=${2:-6}
levels=$(head -1 "$root/Data/maps/levels.txt" | tr -dc 0-9)
first=${3:-1}
last=${4:-$levels}
strategy=${5:-defend}
jobs=${BRELVOX_TABLE_JOBS:-1}
bot=$build/tools/demobot/demobot
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# One level's row into $out/N.row.
row() {
    level=$1
    file=$(awk -v n="$level" 'NR == 2 * n { print $3 }' "$root/Data/maps/levels.txt" | tr -d '\r' |
        sed 's|.*[\\/]||')
    size=$(tr -d '\r' < "$root/Data/maps/$file" | awk 'NR == 1 { w = $2 } NR == 2 { print w "x" $2; exit }')
    "$bot" --data "$root" --level "$level" --seed 1 --tries "$seeds" --min-seconds 100000 \
        --max-seconds 600 --no-replay-check --strategy "$strategy" --out "$out/$level.dem" 2>/dev/null |
        awk -v level="$level" -v size="$size" -v seeds="$seeds" '
            function median(list, n,   i, j, t) {
                for (i = 2; i <= n; ++i) for (j = i; j > 1 && list[j - 1] > list[j]; --j) {
                    t = list[j]; list[j] = list[j - 1]; list[j - 1] = t }
                return n == 0 ? "-" : (n % 2 ? list[(n + 1) / 2] : (list[n / 2] + list[n / 2 + 1]) / 2)
            }
            /^seed/ {
                seconds = $3 + 0; won = ($7 == "won,"); score = $9 + 0
                # ..., end E, lives L, enemies left N
                for (i = 1; i <= NF; ++i) {
                    if ($i == "end") end = $(i + 1)
                    if ($i == "lives") lives = $(i + 1) + 0
                    if ($i == "left") left = $(i + 1) + 0
                }
                sub(/,$/, "", end)
                all[++n] = seconds
                if (n == 1 || score < low) low = score
                if (n == 1 || score > high) high = score
                if (won) { wonTime[++w] = seconds; wonScore[w] = score }
                else { ++ends[end]; lostLives[++l] = lives; lostLeft[l] = left }
            }
            END {
                losses = ""
                split("base-fell no-tanks cut", kinds, " ")
                for (k = 1; k <= 3; ++k) if (ends[kinds[k]] > 0)
                    losses = losses (losses == "" ? "" : ", ") kinds[k] " " ends[kinds[k]]
                if (losses == "") losses = "-"
                else losses = losses " (lives " median(lostLives, l) ", enemies left " median(lostLeft, l) ")"
                printf "| %d | %s | %d/%d | %s | %s | %s | %d..%d | %s |\n", level, size, w, n,
                    median(wonTime, w), median(wonScore, w), median(all, n), low, high, losses
            }' >"$out/$level.row"
}

printf '| level | size | won | time won (s, median) | score won (median) | time all (s, median) | score all (min..max) | losses (median lives, enemies left) |\n'
printf '|---|---|---|---|---|---|---|---|\n'
level=$first
while [ "$level" -le "$last" ]; do
    batch=0
    while [ "$batch" -lt "$jobs" ] && [ $((level + batch)) -le "$last" ]; do
        row $((level + batch)) &
        batch=$((batch + 1))
    done
    wait
    batch=0
    while [ "$batch" -lt "$jobs" ] && [ $((level + batch)) -le "$last" ]; do
        cat "$out/$((level + batch)).row"
        batch=$((batch + 1))
    done
    level=$((level + jobs))
done
