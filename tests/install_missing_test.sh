#!/bin/bash
# install_missing (scripts/lib.sh) against stand-ins for dpkg, apt-get and id:
# each row is a machine (the packages missing, those its mirror cannot give,
# whether its index fetch fails, the user) and what the install must do there
# (status, a part of its output, the apt-get and dpkg calls in order).
set -u
root=$1
. "$root/scripts/lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

# The stand-ins keep the machine in $work: installed (a package a line),
# unavailable (same), arches (dpkg's foreign architectures), calls (the log).
mkdir "$work/bin"
cat >"$work/bin/dpkg" <<'EOF'
#!/bin/bash
case $1 in
-s) grep -qxF -- "$2" "$STATE/installed" ;;
--print-foreign-architectures) cat "$STATE/arches" ;;
--add-architecture) echo "add-architecture $2" >>"$STATE/calls"; echo "$2" >>"$STATE/arches" ;;
*) exit 2 ;;
esac
EOF
cat >"$work/bin/apt-get" <<'EOF'
#!/bin/bash
if [ "$1" = update ]; then
    echo update >>"$STATE/calls"
    [ "$UPDATE_FAILS" = 0 ] && exit 0
    echo "E: Failed to fetch http://mirror/dists/security/main/binary-i386/Packages.xz  File has unexpected size"
    exit 100
fi
shift
pkgs=()
for a in "$@"; do [[ $a == -* ]] || pkgs+=("$a"); done
echo "install ${pkgs[*]}" >>"$STATE/calls"
for p in "${pkgs[@]}"; do
    if grep -qxF -- "$p" "$STATE/unavailable"; then
        echo "E: Package '$p' has no installation candidate"
        exit 100
    fi
done
printf '%s\n' "${pkgs[@]}" >>"$STATE/installed"
EOF
printf '#!/bin/sh\necho "$UID_STANDIN"\n' >"$work/bin/id"
chmod +x "$work/bin"/*

# row WHAT MISSING UNAVAILABLE UPDATE_FAILS UID ARCHES STATUS MESSAGE CALLS
row() {
    local what=$1 missing=$2 unavailable=$3 update_fails=$4 uid=$5 arches=$6 status=$7 message=$8 calls=$9
    local p out got
    export STATE=$work/state UPDATE_FAILS=$update_fails UID_STANDIN=$uid
    rm -rf "$STATE" && mkdir "$STATE"
    for p in "${packages[@]}" "${packages_32[@]}"; do
        [[ " $missing " == *" $p "* ]] || echo "$p"
    done >"$STATE/installed"
    printf '%s\n' $unavailable >"$STATE/unavailable"
    printf '%s\n' $arches >"$STATE/arches"
    touch "$STATE/calls"
    out=$(PATH=$work/bin:$PATH install_missing 2>&1)
    got=$?
    local got_calls
    got_calls=$(paste -sd';' "$STATE/calls")
    if [ "$got" = "$status" ] && printf '%s\n' "$out" | grep -qF -- "$message" && [ "$got_calls" = "$calls" ]; then
        echo "ok: $what"
    else
        echo "FAILED: $what: status $got (not $status), calls '$got_calls' (not '$calls'); output:"
        printf '%s\n' "$out"
        failed=1
    fi
}

row "nothing missing: no call" \
    "" "" 0 0 i386 0 "" ""
row "a failed index does not stop the install; 64-bit first, then the 32-bit runtime" \
    "xvfb wine32:i386" "" 1 0 i386 0 "apt-get update failed (Failed to fetch" \
    "update;install xvfb;install wine32:i386"
row "a 32-bit runtime out of reach is reported and passed over" \
    "wixl wine32:i386" "wine32:i386" 1 0 "" 0 \
    "wine32:i386 could not be installed (Package 'wine32:i386' has no installation candidate): 32-bit programs cannot run, so the 32-bit tests" \
    "add-architecture i386;update;install wixl;install wine32:i386"
row "only the 32-bit runtime missing and out of reach" \
    "wine32:i386" "wine32:i386" 0 0 i386 0 "wine32:i386 could not be installed" \
    "update;install wine32:i386"
row "a missing 64-bit package that cannot be installed ends the run, named; no 32-bit step" \
    "msitools wine32:i386" "msitools" 0 0 i386 1 \
    "could not install msitools (Package 'msitools' has no installation candidate)" \
    "update;install msitools"
row "not root: the missing packages named, nothing installed" \
    "xvfb wine32:i386" "" 0 1000 i386 1 "missing packages: xvfb wine32:i386 (run as root" ""
row "not root with only the 32-bit runtime missing: named, nothing installed" \
    "wine32:i386" "" 0 1000 i386 1 "missing packages: wine32:i386 (run as root" ""
exit $failed
