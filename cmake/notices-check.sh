#!/bin/sh
# Every archive and object from outside the source and build trees that the
# linker took into a program (its map, -Map) is named on a "Linked from:"
# line of the notices file; status 1 naming those that are not.
#   notices-check.sh SOURCE_DIR NOTICES MAP...
set -u
source_dir=$1 notices=$2
shift 2
covered=$(awk '/^Linked from:/ { on = 1; sub(/^Linked from:/, "") }
               on && /^[^ ]/ && !/^Linked from:/ { on = 0 }
               on { print }' "$notices" | tr -s ' ' '\n' | grep . | sort -u)
[ -n "$covered" ] || { echo "notices-check.sh: no 'Linked from:' line in $notices" >&2; exit 1; }
status=0
for map in "$@"; do
    [ -s "$map" ] || { echo "notices-check.sh: no map $map" >&2; status=1; continue; }
    # Absolute paths are the toolchain's; the trees' own files are named relative
    # to the build tree, or by their path in the source tree.
    used=$({ sed -n '/^Archive member included/,/^Discarded input sections/p' "$map" | sed -n 's/^\(\/[^ (]*\.a\)(.*/\1/p'
             sed -n 's/^LOAD \(\/[^ ]*\.o\)$/\1/p' "$map"; } |
           grep -v "^$source_dir/" | sed 's|.*/||' | sort -u)
    missing=$(printf '%s\n' "$used" | grep -vxF "$covered" | tr '\n' ' ')
    if [ -n "$missing" ]; then
        echo "$(basename "$map"): not covered by $(basename "$notices"): $missing"
        status=1
    else
        echo "$(basename "$map"): $(printf '%s\n' "$used" | wc -l) archives and objects from the toolchain, each covered"
    fi
done
exit $status
