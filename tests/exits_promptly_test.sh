#!/bin/sh
# cmake/exits-promptly.sh on programs that end promptly and on programs that
# do not: each row names the case, the status and the message it must give.
set -u
check=$1
export VENNOX_EXIT_GRACE=1
summary='echo "[==========] 1 test from 1 test suite ran."'
failed=0

# row WHAT STATUS MESSAGE COMMAND...: MESSAGE is a part of the output ("": any).
row() {
    what=$1 status=$2 message=$3
    shift 3
    out=$("$check" "$@" 2>&1)
    got=$?
    if [ $got = "$status" ] && printf '%s\n' "$out" | grep -qF -- "$message"; then
        echo "ok: $what"
    else
        echo "FAILED: $what: status $got, not $status; output:"
        printf '%s\n' "$out"
        failed=1
    fi
}

row "a program that ends at once passes" 0 "" sh -c "$summary"
row "a program's own failure is kept" 3 "" sh -c "$summary; exit 3"
row "a program running on after its summary is ended" 137 "the program still ran 1 s after its last case" \
    sh -c "$summary; sleep 30"
row "a process that keeps the output open fails the program" 1 "output stayed open 1 s after it ended" \
    sh -c 'echo done; sleep 3 &'
row "a program ending long after its last output fails" 1 "s after its last output" \
    sh -c 'echo done; sleep 2.5'
exit $failed
