#!/bin/bash
# README.md stays a front door and the documents hold together: README.md at
# most 10,000 bytes, every scripts/ command it names an executable file, and
# every relative link of README.md and docs/*.md a file.
set -u
cd "$1" || exit 1
failed=0
fail() { echo "FAILED: $*"; failed=1; }

size=$(wc -c <README.md)
[ "$size" -le 10000 ] || fail "README.md is $size bytes, more than 10,000"

# scripts/NAME, not docs/scripts/...; a name with an extension is no command.
for command in $(grep -oE '(^|[^[:alnum:]_./-])scripts/[[:alnum:]_.-]*[[:alnum:]_-]' README.md |
                 grep -oE 'scripts/.*' | grep -v '\.' | sort -u); do
    [ -f "$command" ] && [ -x "$command" ] || fail "README.md: $command is not an executable file"
done

# [text](target) and ![text](target); addresses and anchors within the page aside.
for doc in README.md docs/*.md; do
    while read -r target; do
        target=${target%%#*}
        case $target in '' | *://* | mailto:*) continue ;; esac
        [ -f "$(dirname "$doc")/$target" ] || fail "$doc: link to $target, which is no file"
    done < <(grep -oE '\]\([^) ]+' "$doc" | cut -c3-)
done

[ "$failed" = 0 ] && echo "docs: README.md $size bytes, its commands and every link found"
[ "$failed" = 0 ]
