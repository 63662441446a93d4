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
          clang libclang-rt-14-dev wixl msitools gir1.2-libmsi-1.0 python3-gi osslsigncode openssl)
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
stdole32_dir=${wine32_dirs[0]}/i386-windows

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

# build_preset PRESET LOG [DIR [TARGET...]]: configures and builds PRESET in
# DIR (default build/PRESET), only the TARGETs when given, its output into
# LOG; on failure shows the log's tail, says so and returns 1.
build_preset() {
    local preset=$1 log=$2 dir=${3:-build/$1}
    shift $(($# < 3 ? $# : 3))
    local targets=()
    [ $# = 0 ] || targets=(--target "$@")
    mkdir -p "$(dirname "$log")"
    if { cmake --preset "$preset" -B "$dir" && cmake --build "$dir" "${targets[@]}"; } >"$log" 2>&1; then
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

# sign_file FILE: signs FILE in place with the integrator's certificate:
# VENNOX_SIGN_PFX, a PKCS#12 file, its password in the file named by
# VENNOX_SIGN_PASSWORD_FILE (none when unset), SHA-256, the publisher's name
# and URL, and with VENNOX_TIMESTAMP_URL an RFC 3161 time stamp. Says why
# when it fails, and leaves FILE as it was.
sign_file() {
    local args=(sign -pkcs12 "$VENNOX_SIGN_PFX" -h sha256 -n "Vennox Building Controls"
                -i https://www.vennox.example/ -in "$1" -out "$1.signed")
    if [ -n "${VENNOX_SIGN_PASSWORD_FILE:-}" ]; then
        args+=(-readpass "$VENNOX_SIGN_PASSWORD_FILE")
    else
        args+=(-pass "")
    fi
    [ -z "${VENNOX_TIMESTAMP_URL:-}" ] || args+=(-ts "$VENNOX_TIMESTAMP_URL")
    if ! osslsigncode "${args[@]}" >"$1.sign.log" 2>&1; then
        grep -v -e '^[0-9A-F]*:error:' -e '^Failed$' -e '^ *$' "$1.sign.log" | sed 's/^/    /' >&2
        echo "package: signing $(basename "$1") with $VENNOX_SIGN_PFX failed" >&2
        rm -f "$1.signed" "$1.sign.log"
        return 1
    fi
    rm -f "$1.sign.log"
    mv "$1.signed" "$1"
}

# both_trees WHAT COMMAND: COMMAND's answer for build/win32, which the answer
# for build/win64 must equal (the version, the sources' time).
both_trees() {
    local a b
    a=$("$2" win32) && b=$("$2" win64)
    [ -n "$a" ] && [ "$a" = "$b" ] || { echo "package: build/win32 and build/win64 differ ($1: '$a', '$b')" >&2; return 1; }
    echo "$a"
}
tree_version() { sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "build/$1/CMakeCache.txt" 2>/dev/null; }
tree_time() { cat "build/$1/source-date" 2>/dev/null; }

# pack_release [OUT]: the release, from what build/win32 and build/win64
# install, made anew in OUT (default build/package):
#   Vennox-<version>.zip        modules and hosts under x86/ and x64/,
#                               INTEGRATORS.txt, THIRD-PARTY-NOTICES.txt, scripts/
#   Vennox-<version>-debug.zip  their .debug files, same layout
#   Vennox-<version>-x86.msi    the 32-bit module and host, and the notices
#   Vennox-<version>-x64.msi    the 64-bit ones (installer/Vennox.wxs, wixl)
#   SHA256SUMS
# Every file is dated with the sources' time and the packages' codes come
# from their content, so that the same sources give the same release. With
# VENNOX_SIGN_PFX the modules and hosts are signed before they are packed,
# the MSIs after. On failure OUT holds nothing. Prints the files' paths.
pack_release() {
    local out=${1:-build/package} version epoch work release debug preset arch msi ids codes
    version=$(both_trees version tree_version) && epoch=$(both_trees "sources' time" tree_time) || return 1
    rm -rf "$out"
    work=$out.new
    release=$work/release/Vennox-$version
    debug=$work/debug/Vennox-$version
    rm -rf "$work" && mkdir -p "$work" || return 1
    if ! pack_steps; then
        rm -rf "$work"
        return 1
    fi
    mkdir -p "$out" && mv "$work"/Vennox-* "$work"/SHA256SUMS "$out"/ && rm -rf "$work" || return 1
    local file
    for file in "$out"/Vennox-* "$out"/SHA256SUMS; do
        echo "$(realpath "$file")"
    done
}

# The steps of pack_release, in its variables.
pack_steps() {
    local file
    for preset in win32 win64; do
        cmake --install "build/$preset" --prefix "$release" --component Runtime >/dev/null &&
            cmake --install "build/$preset" --prefix "$debug" --component Debug >/dev/null || return 1
    done
    if [ -n "${VENNOX_SIGN_PFX:-}" ]; then
        for file in "$release"/x86/* "$release"/x64/*; do
            sign_file "$file" || return 1
        done
    else
        echo "package: not signed (VENNOX_SIGN_PFX names no certificate)"
    fi
    find "$work" -exec touch -h -d "@$epoch" {} + &&
        scripts/release.py zip "$release" "$epoch" "$work/Vennox-$version.zip" &&
        scripts/release.py zip "$debug" "$epoch" "$work/Vennox-$version-debug.zip" || return 1
    for arch in x86 x64; do
        msi=$work/Vennox-$version-$arch.msi
        # The type library's IDs, from the IDL, in the tree of the package's width.
        ids=build/$([ "$arch" = x86 ] && echo win32 || echo win64)/resources
        codes=($(scripts/release.py codes "$version" "$arch" "$release/$arch"/* "$release/THIRD-PARTY-NOTICES.txt" \
                 installer/Vennox.wxs installer/Interfaces.wxi "$ids/VennoxIds.wxi")) || return 1
        # wixl takes its files' paths relative to here only.
        TZ=UTC wixl -a "$arch" -D Arch="$arch" -D Version="$version" -D ProductCode="${codes[0]}" \
            -D ReleaseDir="$(realpath --relative-to=. "$release")" -I installer -I "$ids" -o "$msi" installer/Vennox.wxs &&
            scripts/release.py finish-msi "$msi" "$version" "${codes[1]}" "$epoch" || return 1
        if [ -n "${VENNOX_SIGN_PFX:-}" ]; then
            sign_file "$msi" || return 1
        fi
    done
    (cd "$work" && sha256sum Vennox-* >SHA256SUMS)
}
