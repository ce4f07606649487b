#!/usr/bin/env bash
# Builds the Debian package from the "package" build tree (reused between runs), unpacks it into
# a scratch root and checks what a desktop user gets: files, metadata, and working binaries.
set -uo pipefail
cd "$(dirname "$0")/.."

build=build/package
jobs=${JOBS:-$(nproc)}
passed=0
failed=0

check() {  # check DESCRIPTION COMMAND...
    local description=$1
    shift
    if "$@" >/dev/null 2>&1; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $description" >&2
    fi
}

# No point checking a package that could not be built.
[[ -f $build/CMakeCache.txt ]] || cmake --preset package >/dev/null || exit 1
cmake --build --preset package -j "$jobs" >/dev/null || { echo "packaging: build failed" >&2; exit 1; }
rm -f "$build"/quillo_*.deb
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log" >&2; exit 1; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
deb="$build/quillo_${version}_${arch}.deb"
check "package file is named quillo_${version}_${arch}.deb" test -f "$deb"
[[ -f $deb ]] || { echo "packaging: $passed passed, $failed failed"; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root="$scratch/root"
dpkg -x "$deb" "$root"
dpkg-deb -e "$deb" "$scratch/control"
info=$(dpkg-deb -I "$deb")
field() { sed -n "s/^ $1: //p" <<<"$info"; }

# Metadata: dependencies computed from the binaries, xdotool only recommended.
check "Package is quillo" test "$(field Package)" = quillo
check "Version is $version" test "$(field Version)" = "$version"
check "Depends lists the Qt and C libraries" \
    grep -Eq 'libqt6core6.*libc6|libc6.*libqt6core6' <<<"$(field Depends)"
check "Depends names the SVG icon engine Qt loads at run time" \
    grep -q 'libqt6svg6' <<<"$(field Depends)"
check "Depends is computed, not xdotool" bash -c '! grep -q xdotool <<<"$1"' _ "$(field Depends)"
check "Recommends xdotool" test "$(field Recommends)" = xdotool
check "Section utils" test "$(field Section)" = utils
check "Maintainer has an address" grep -Eq '<[^@]+@[^>]+>' <<<"$(field Maintainer)"
check "Homepage is the web host" grep -Eq '^https?://' <<<"$(field Homepage)"
check "Description has a synopsis and a long text" \
    test "$(sed -n '/^ Description:/,$p' <<<"$info" | wc -l)" -ge 2
# Removal must leave nothing behind: no maintainer scripts that could write outside the package.
check "no maintainer scripts" bash -c \
    'cd "$1" && ! ls preinst postinst prerm postrm config 2>/dev/null | grep -q .' _ "$scratch/control"
check "every file owned by root" bash -c \
    '! dpkg-deb -c "$1" | awk "{print \$2}" | grep -vq "^root/root$"' _ "$deb"

# The files a desktop looks for.
check "quillo in /usr/bin" test -x "$root/usr/bin/quillo"
check "quillo-defaults in /usr/bin" test -x "$root/usr/bin/quillo-defaults"
check "quillo-hotkey-press in /usr/bin, beside quillo" test -x "$root/usr/bin/quillo-hotkey-press"
check "binaries are stripped" bash -c \
    'file "$1" | grep -q ", stripped"' _ "$root/usr/bin/quillo"
entry="$root/usr/share/applications/app.quillo.Quillo.desktop"
check "desktop entry installed" test -f "$entry"
check "desktop-file-validate accepts the entry" desktop-file-validate "$entry"
check "entry starts quillo without a terminal" \
    bash -c 'grep -qx "Exec=quillo" "$1" && grep -qx "Terminal=false" "$1"' _ "$entry"
check "entry names the installed icon" grep -qx "Icon=quillo" "$entry"
check "scalable icon is SVG" bash -c \
    'file "$1" | grep -q "SVG"' _ "$root/usr/share/icons/hicolor/scalable/apps/quillo.svg"
for size in 16 22 24 32 48 64 128 256; do
    check "${size}x${size} icon is a ${size}x${size} PNG" bash -c \
        'file "$1" | grep -q "PNG image data, $2 x $2"' _ \
        "$root/usr/share/icons/hicolor/${size}x${size}/apps/quillo.png" "$size"
done
for page in quillo quillo-defaults; do
    check "manual page $page.1 is compressed roff" bash -c \
        'zcat "$1" | grep -q "^\.TH $2 1"' _ "$root/usr/share/man/man1/$page.1.gz" "${page^^}"
done
check "manual page names the version" bash -c \
    'zcat "$1" | grep -q "Quillo $2"' _ "$root/usr/share/man/man1/quillo-defaults.1.gz" "$version"
check "nothing outside /usr" bash -c \
    'test "$(ls "$1")" = usr' _ "$root"

# The unpacked binaries run, with the system's libraries.
check "quillo --version" test "$("$root/usr/bin/quillo" --version)" = "quillo $version"
check "quillo --help exits 0 with usage" bash -c \
    '"$1" --help | grep -q "^Usage: quillo"' _ "$root/usr/bin/quillo"
check "quillo rejects an unknown option with status 2" bash -c \
    '"$1" --bogus 2>&1; test $? -eq 2' _ "$root/usr/bin/quillo"
check "quillo-defaults --help" bash -c \
    '"$1" --help | grep -q "^Usage: quillo-defaults"' _ "$root/usr/bin/quillo-defaults"
# apt resolves every dependency on this Debian release (a simulation: nothing is installed).
check "apt can install the package" apt-get install --simulate --no-install-recommends "./$deb"

echo "packaging: $passed passed, $failed failed"
((failed == 0))
