# Shared by scripts/test, scripts/run and scripts/fuzz: the Debian packages the
# builds and Wine runs need, whether this machine can run 32-bit Windows
# programs, and building and running the fuzz targets.
# shellcheck shell=bash

packages=(cmake ninja-build g++ g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          mingw-w64-tools libwine-dev wine wine64 wine32:i386 xvfb xauth googletest locales-all
          clang libclang-rt-14-dev)

# Installs the packages that are missing (as root); fails naming them otherwise.
install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" != 0 ]; then
        echo "missing packages: ${missing[*]} (run as root to install them)" >&2
        return 1
    fi
    echo "installing: ${missing[*]}"
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    apt-get update -q >/dev/null &&
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
}

# 32-bit programs under Wine need a kernel that executes 32-bit Linux programs.
can_run_32() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

# The libFuzzer targets of the fuzz preset (tests/fuzz), TARGET_fuzz each.
fuzz_targets=(value_text node_file)

# Configures and builds the fuzz preset in build/fuzz; its log is build/fuzz.log.
fuzz_build() {
    mkdir -p build
    { cmake --preset fuzz && cmake --build --preset fuzz; } >build/fuzz.log 2>&1 && return 0
    tail -40 build/fuzz.log
    return 1
}

# fuzz_run TARGET SECONDS: runs TARGET_fuzz for SECONDS on its corpus in the
# build tree, build/fuzz/corpus/TARGET (the seeds checked in under
# tests/fuzz/corpus/TARGET, the seeds fuzz_seeds writes and what earlier runs
# found); the repository's corpus is never written. Prints a line of figures;
# on a crash, the report, where the input landed (build/fuzz/crashes/TARGET/)
# and the command that runs it again. The output: build/fuzz/TARGET.log.
fuzz_run() {
    local target=$1 seconds=$2 dir=build/fuzz
    local corpus=$dir/corpus/$target crashes=$dir/crashes/$target log=$dir/$target.log
    mkdir -p "$corpus" "$crashes"
    cp tests/fuzz/corpus/"$target"/* "$corpus"/ && "$dir/bin/fuzz_seeds" "$target" "$corpus" || return 1
    local mark=$dir/.fuzz-start-$target
    touch "$mark"
    "$dir/bin/${target}_fuzz" -max_total_time="$seconds" -max_len=8192 -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$crashes/" "$corpus" >"$log" 2>&1
    local rc=$?
    local done runs
    done=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1)
    runs=$(sed -n 's/^stat::number_of_executed_units: //p' "$log")
    if [ -n "$done" ]; then
        echo "fuzz $target: ${runs:-?} runs in ${seconds}s; $(echo "$done" | grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[0-9]+[KMG]?b|exec/s: [0-9]+' | tr '\n' ' ')"
    fi
    if [ "$rc" != 0 ]; then
        grep -E 'ERROR|SUMMARY|runtime error|^value_text:|^node_file:' "$log" | head -20
        local found=0 f
        for f in "$crashes"/*; do
            [ -f "$f" ] && [ "$f" -nt "$mark" ] || continue
            found=1
            echo "fuzz $target: input saved in $f; run it again with: $dir/bin/${target}_fuzz $f"
        done
        [ "$found" = 1 ] || tail -20 "$log"
        echo "fuzz $target: failed (exit $rc), output in $log"
    fi
    rm -f "$mark"
    return "$rc"
}
