# Shared by scripts/test, scripts/run, scripts/fuzz and scripts/package: the
# Debian packages the builds and Wine runs need, whether this machine can run
# 32-bit Windows programs, building and running the fuzz targets, and packing
# the Windows Installer packages.
# shellcheck shell=bash

packages=(cmake ninja-build g++ g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          mingw-w64-tools libwine-dev wine wine64 wine32:i386 xvfb xauth googletest locales-all
          clang libclang-rt-14-dev wixl msitools)

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

# wine_loader_for PRESET: the Wine loader that runs the preset's programs
# (win32: the 32-bit one; win64 and the 64-bit prefix's own tools: wine64).
wine_loader_for() { [ "$1" = win32 ] && echo wine || echo wine64; }

# build_preset PRESET LOG [DIR [TARGET]]: configures and builds PRESET in DIR
# (default build/PRESET), only TARGET when given, its output into LOG; on
# failure shows the log's tail, says so and returns 1.
build_preset() {
    local preset=$1 log=$2 dir=${3:-build/$1} target=${4:-}
    mkdir -p build
    if { cmake --preset "$preset" -B "$dir" && cmake --build "$dir" ${target:+--target "$target"}; } >"$log" 2>&1; then
        return 0
    fi
    tail -40 "$log"
    echo "$preset: build failed (log: $log)" >&2
    return 1
}

# The libFuzzer targets of the fuzz preset (tests/fuzz), TARGET_fuzz each.
fuzz_targets=(value_text node_file)

# Configures and builds the fuzz preset in build/fuzz; its log is build/fuzz.log.
fuzz_build() { build_preset fuzz build/fuzz.log; }

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

# Packs the Windows Installer package of each width from the shipped files of
# build/win32 and build/win64 (installer/Vennox.wxs, wixl) beside the ZIPs:
# build/package/Vennox-<version>-x86.msi and -x64.msi, with the version of
# project() as the build trees have it. Prints their paths.
msi_pack() {
    local version arch preset msi code
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/win64/CMakeCache.txt 2>/dev/null)
    [ -n "$version" ] || { echo "msi_pack: no project version in build/win64/CMakeCache.txt" >&2; return 1; }
    mkdir -p build/package
    rm -f build/package/Vennox-*.msi
    for arch in x86 x64; do
        preset=win32
        [ "$arch" = x64 ] && preset=win64
        msi=build/package/Vennox-$version-$arch.msi
        wixl -a "$arch" -D Arch="$arch" -D Version="$version" -D ShipDir="build/$preset/ship" -I installer \
            -o "$msi" installer/Vennox.wxs || return 1
        # Windows Installer compares the first three fields of a version only:
        # a package of 1.0.0.2 finds 1.0.0.1 the same version. The upgrade row
        # takes that version in (wixl's MajorUpgrade leaves it out), so that
        # such a package replaces the installed one instead of going beside it.
        code=$(msiinfo export "$msi" Property | tr -d '\r' | awk -F'\t' '$1 == "UpgradeCode" {print $2}')
        msibuild "$msi" -q "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\` = 'WIX_UPGRADE_DETECTED'" \
            -q "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`)
                VALUES ('$code', '$version', 513, 'WIX_UPGRADE_DETECTED')" || return 1
        echo "$PWD/$msi"
    done
}
