#!/bin/sh
# Runs one program of the test suite and fails it when it does not end
# promptly after its last output: ctest waits for the program and for every
# process that holds its output, so either would hold the test until its
# timeout, after every case had passed.
#   exits-promptly.sh COMMAND [ARGS...]
# It fails when the program ends more than $VENNOX_EXIT_GRACE seconds (5)
# after its last output, when its output stays open that long after it ended
# (a process it started holds it), or, once a GoogleTest program has printed
# its summary, when it is still running that long after; it is ended then.
# Otherwise it exits with the program's status.
set -u
grace=${VENNOX_EXIT_GRACE:-5}
me=exits-promptly
dir=$(mktemp -d "${TMPDIR:-/tmp}/exits-promptly.XXXXXX") || exit 1
trap 'rm -rf "$dir"' EXIT
mkfifo "$dir/out" || exit 1

now() { date +%s%3N; }
# When the program last wrote: the copy's modification time, in ms.
last_output() { date -r "$dir/log" +%s%3N; }

# The output goes through a pipe of ours, passed on as it comes and copied.
tee "$dir/log" <"$dir/out" &
relay=$!
# In a session of its own, to be ended with whatever it started.
setsid "$@" >"$dir/out" 2>&1 &
program=$!

# GoogleTest's summary line follows the last case.
watch_summary() {
    while sleep 1; do
        grep -q '^\[==========\] .* ran\.' "$dir/log" || continue
        [ $(($(now) - $(last_output))) -gt $((grace * 1000)) ] || continue
        echo "$me: the program still ran ${grace} s after its last case; ended" >"$dir/verdict"
        kill -KILL "-$program"
        return
    done
}
watch_summary </dev/null >/dev/null 2>&1 &
watcher=$!

# (The shell's word on a job ended by a signal is not wanted: 2>/dev/null.)
wait "$program" 2>/dev/null
status=$?
ended=$(now)
kill "$watcher" 2>/dev/null
wait "$watcher" 2>/dev/null
# The output ends with the last process holding it; a timer ends the wait.
(sleep "$grace"; kill "$relay") </dev/null >/dev/null 2>&1 &
timer=$!
wait "$relay" 2>/dev/null
closed=$?
kill "$timer" 2>/dev/null
quiet=$((ended - $(last_output)))

verdict=
if [ -s "$dir/verdict" ]; then
    verdict=$(cat "$dir/verdict")
elif [ $closed != 0 ]; then
    verdict="$me: the program's output stayed open ${grace} s after it ended, held by a process it started"
elif [ $quiet -gt $((grace * 1000)) ]; then
    verdict="$me: the program ended $((quiet / 1000)) s after its last output"
fi
[ -z "$verdict" ] && exit $status
echo "$verdict" >&2
[ $status = 0 ] && exit 1
exit $status
