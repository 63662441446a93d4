# Shared by scripts/test and scripts/run: the Debian packages the builds and
# Wine runs need, and whether this machine can run 32-bit Windows programs.
# shellcheck shell=bash

packages=(cmake ninja-build g++ g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          mingw-w64-tools libwine-dev wine wine64 wine32:i386 xvfb xauth googletest locales-all)

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
