#!/bin/sh
# Plays every level of the campaign with the demo bot, SEEDS sessions each (seeds 1..SEEDS), and prints
# one row per level: the games won, the game time and the score of the won games (median) and of all.
#   tools/demobot/campaign-table.sh [BUILD_DIR] [SEEDS] [FIRST] [LAST]   (build, 6, 1, the last level)
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
seeds=${2:-6}
levels=$(head -1 "$root/Data/maps/levels.txt" | tr -dc 0-9)
first=${3:-1}
last=${4:-$levels}
bot=$build/tools/demobot/demobot
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
printf '| level | size | won | time won (s, median) | score won (median) | time all (s, median) | score all (min..max) |\n'
printf '|---|---|---|---|---|---|---|\n'
for level in $(seq "$first" "$last"); do
    file=$(awk -v n="$level" 'NR == 2 * n { print $3 }' "$root/Data/maps/levels.txt" | tr -d '\r' |
        sed 's|.*[\\/]||')
    size=$(tr -d '\r' < "$root/Data/maps/$file" | awk 'NR == 1 { w = $2 } NR == 2 { print w "x" $2; exit }')
    "$bot" --data "$root" --level "$level" --seed 1 --tries "$seeds" --min-seconds 100000 \
        --max-seconds 600 --no-replay-check --out "$out/level.dem" 2>/dev/null |
        awk -v level="$level" -v size="$size" -v seeds="$seeds" '
            function median(list, n,   i, j, t) {
                for (i = 2; i <= n; ++i) for (j = i; j > 1 && list[j - 1] > list[j]; --j) {
                    t = list[j]; list[j] = list[j - 1]; list[j - 1] = t }
                return n == 0 ? "-" : (n % 2 ? list[(n + 1) / 2] : (list[n / 2] + list[n / 2 + 1]) / 2)
            }
            /^seed/ {
                seconds = $3 + 0; won = ($7 == "won,"); score = $9 + 0
                all[++n] = seconds
                if (n == 1 || score < low) low = score
                if (n == 1 || score > high) high = score
                if (won) { wonTime[++w] = seconds; wonScore[w] = score }
            }
            END {
                printf "| %d | %s | %d/%d | %s | %s | %s | %d..%d |\n", level, size, w, seeds,
                    median(wonTime, w), median(wonScore, w), median(all, n), low, high
            }'
done
