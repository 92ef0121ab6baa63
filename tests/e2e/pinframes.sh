#!/usr/bin/env bash
# How a real panel shows a row of slots change, frame by frame: the panel's
# item area is read every 10 ms across each change of segmenteditem's row
# (a b c -> a x b c -> a c -> a b c), and every frame that shows neither the
# row before nor the row after (a tile twice, a tile missing, a placeholder)
# is counted.
#   pinframes.sh HOST GAUGELET SNIPROBE SCREENSHOT_DIR SEGMENTEDITEM
source <(sed '/^t0=\$(date +%s)$/,$d' "$(dirname "$0")/hosts.sh")

color_of() { printf '%s' "$1" | sha1sum | cut -c1-6; }

# Reads the frames ("<ms> <colour>@<x>…") and prints how many show neither
# the row before ($1) nor after ($2), with those rows. A tile's colour may be
# dimmed (GNOME's extension draws items at 240/255 opacity).
judge() {
  local map="" k
  for k in a b c x; do map+="$(color_of "$k")=$k "; done
  awk -v map="$map" -v before="$1" -v after="$2" -v what="$3" '
    function byte(s, i) { return 16 * (index("0123456789abcdef", substr(s, i, 1)) - 1) + index("0123456789abcdef", substr(s, i + 1, 1)) - 1 }
    function near(c, k,   i, a, b) {
      for (i = 1; i < 6; i += 2) {
        a = byte(c, i); b = byte(k, i)
        if ((a - b) ^ 2 > 9 && (a - b * 240 / 255) ^ 2 > 9) return 0
      }
      return 1
    }
    BEGIN { n = split(map, m, " "); for (i = 1; i <= n; i++) { split(m[i], kv, "="); key[kv[1]] = kv[2] } }
    { row = ""
      for (i = 2; i <= NF; i++) { split($i, cx, "@"); for (k in key) if (near(cx[1], k)) row = row (row == "" ? "" : " ") key[k] }
      frames++
      if (row == after && reached == "") reached = $1
      if (row != before && row != after) { bad++; if (first == "") first = $1; last = $1; if (!(row in seen)) { seen[row] = 1; rows = rows " [" row "]" } } }
    END { printf "%s: %s -> %s: %d of %d samples bad", what, before, after, bad, frames
      if (bad) printf " (%d-%d ms)", first, last
      printf ", after at %s ms;%s\n", reached, rows }'
}

start_host light || exit 1
fifo=$root/row
mkfifo "$fifo"
"$segmented" <"$fifo" >>"$log" 2>&1 &
row=$!
exec 3>"$fifo"
prev="a b c"
echo "$prev" >&3
wait_for 100 item_count_is 3
sleep 4
for round in ${PINFRAMES_ROUNDS:-1 2 3}; do
  for step in "a x b c" "a c" "a b c"; do
    # shellcheck disable=SC2086 # $shot is "x y w h"
    "$probe" frames $shot 2.5 >"$root/frames" &
    probe_pid=$!
    sleep 0.5
    echo "$step" >&3
    wait "$probe_pid"
    judge "$prev" "$step" "$host round $round" <"$root/frames"
    [[ -n "${PINFRAMES_KEEP:-}" ]] && cp "$root/frames" "$PINFRAMES_KEEP/frames-$host-$round-${step// /}"
    prev=$step
    sleep 1.5
  done
done
exec 3>&-
stop "$row"; row=""
stop_host
