#!/bin/sh
# The size of shipped modules against the most one may weigh: a row of the
# bench's table for each FILE, and status 1 when one weighs more (or is
# missing).
#   ship-size.sh FILE...
set -u
limit=262144  # 256 KiB
status=0
for file in "$@"; do
    size=$(stat -c %s "$file" 2>/dev/null) || { echo "ship-size.sh: no $file" >&2; status=1; continue; }
    verdict=ok
    [ "$size" -le "$limit" ] || { verdict=MISSED; status=1; }
    printf '| %-40s | %-24s | %-10s | %-6s |\n' "size: shipped $(basename "$file")" "$size bytes" "<= $limit" "$verdict"
done
exit $status
