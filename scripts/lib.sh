# Shared by scripts/test, scripts/run, scripts/fuzz and scripts/package: the
# Debian packages the builds and Wine runs need, whether this machine can run
# 32-bit Windows programs, building and running the fuzz targets, and packing
# the Windows Installer packages.
# shellcheck shell=bash

# The Debian packages every build, test and package needs (64-bit), and the
# 32-bit Wine runtime, which only running 32-bit programs needs: the 32-bit
# tests and the package check's x86 half. Building the 32-bit module does not.
packages=(cmake ninja-build g++ g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          mingw-w64-tools libwine-dev wine wine64 xvfb xauth googletest locales-all
          clang libclang-rt-14-dev wixl msitools)
packages_32=(wine32:i386)

# missing_of PACKAGE...: those dpkg does not have installed, one per line.
missing_of() {
    local p
    for p in "$@"; do
        dpkg -s "$p" >/dev/null 2>&1 || echo "$p"
    done
}

# apt_install LOG PACKAGE...: installs them, apt's output into LOG.
apt_install() {
    local log=$1
    shift
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@" >"$log" 2>&1
}

# apt_error LOG: apt's first error line in LOG, or its last line.
apt_error() { { grep -m1 "^E: " "$1" || tail -1 "$1"; } | sed "s/^E: //; s/ \[IP: [^]]*\]//; s/  */ /g" | cut -c1-200; }

# Installs the packages that are missing (as root) in two steps: the 64-bit
# ones, then the 32-bit Wine runtime. A mirror in mid-sync may fail an index
# and a 32-bit package may be out of reach (its libraries' 64-bit twins at
# newer versions, no 32-bit index at all); neither stops the run: without the
# 32-bit runtime the 32-bit tests are skipped, as on a kernel that cannot run
# 32-bit programs. A 64-bit package that cannot be installed fails, naming
# it. Not as root, fails naming every missing package.
install_missing() {
    local missing missing_32 log
    mapfile -t missing < <(missing_of "${packages[@]}")
    mapfile -t missing_32 < <(missing_of "${packages_32[@]}")
    [ ${#missing[@]} -eq 0 ] && [ ${#missing_32[@]} -eq 0 ] && return 0
    if [ "$(id -u)" != 0 ]; then
        echo "missing packages: ${missing[*]}${missing[*]:+ }${missing_32[*]} (run as root to install them)" >&2
        return 1
    fi
    log=$(mktemp /tmp/vennox-apt.XXXXXX)
    echo "installing: ${missing[*]}${missing[*]:+ }${missing_32[*]}"
    if [ ${#missing_32[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    apt-get update -q >"$log" 2>&1 ||
        echo "install: apt-get update failed ($(apt_error "$log")); going on with the indexes it has"
    if [ ${#missing[@]} -gt 0 ]; then
        apt_install "$log" "${missing[@]}"
        mapfile -t missing < <(missing_of "${missing[@]}")
        if [ ${#missing[@]} -gt 0 ]; then
            echo "install: could not install ${missing[*]} ($(apt_error "$log"))" >&2
            rm -f "$log"
            return 1
        fi
    fi
    if [ ${#missing_32[@]} -gt 0 ]; then
        apt_install "$log" "${missing_32[@]}"
        mapfile -t missing_32 < <(missing_of "${missing_32[@]}")
    fi
    if [ ${#missing_32[@]} -gt 0 ]; then
        echo "install: ${missing_32[*]} could not be installed ($(apt_error "$log")):" \
             "32-bit programs cannot run, so the 32-bit tests and the package check's x86 half are skipped"
    fi
    rm -f "$log"
    return 0
}

# Why 32-bit Windows programs cannot run here under Wine (status 0), or
# nothing (status 1) when they can.
wine32_loader=/usr/lib/wine/wine
why_not_32() {
    if [ ! -e "$wine32_loader" ]; then
        echo "32-bit Wine (wine32:i386) is not installed"
    elif ! "$wine32_loader" --version >/dev/null 2>&1; then
        echo "this kernel does not execute 32-bit programs, so 32-bit Wine cannot start"
    else
        return 1
    fi
}
can_run_32() { ! why_not_32 >/dev/null; }

# The files of 32-bit Wine: its libraries (stdole2.tlb among them) and its
# loader and server.
wine32_dirs=(/usr/lib/i386-linux-gnu/wine)
wine32_files=("$wine32_loader" /usr/lib/wine/wineserver32)
stdole32_dir=/usr/lib/i386-linux-gnu/wine/i386-windows

# without_wine32 COMMAND [ARGS...]: runs COMMAND in a private mount namespace
# in which the files of 32-bit Wine are not (an empty folder over each of its
# folders, an empty file over each of its files). Status 125 when no such
# namespace can be made here.
without_wine32() {
    local unshare=(unshare -m)
    [ "$(id -u)" = 0 ] || unshare=(unshare -r -m)
    "${unshare[@]}" true 2>/dev/null || return 125
    "${unshare[@]}" bash -c '
        dirs=$1 files=$2
        shift 2
        for d in $dirs; do [ ! -d "$d" ] || mount -t tmpfs -o ro none "$d" || exit 125; done
        for f in $files; do [ ! -e "$f" ] || mount --bind /dev/null "$f" || exit 125; done
        exec "$@"' without_wine32 "${wine32_dirs[*]}" "${wine32_files[*]}" "$@"
}

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
