#!/usr/bin/env bash
# Checks the desktop integration and the Debian package of a built tree:
#   check_packaging.sh SOURCE_DIR BINARY_DIR SCRATCH_DIR MIME_PROBE
# 1. the desktop entry passes desktop-file-validate; the MIME package is valid against the document type
#    that Debian's shared-mime-info ships inside its freedesktop.org.xml;
# 2. `cmake --install` into a scratch DESTDIR installs exactly the expected files;
# 3. CPack builds the .deb; its control fields, Depends and file list are as expected, it has no maintainer
#    scripts, and the programs in it run;
# 4. update-mime-database over the package's share/mime resolves channel files to the type by name in any
#    case, and nothing else: a channel file under another name, which the editor refuses, is not claimed.
set -euo pipefail

src=$1
bin=$2
scratch=$3
probe=$4
type=application/x-tcn-channel-file

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

rm -rf "$scratch"
mkdir -p "$scratch"

# --- 1. The desktop entry and the MIME package -----------------------------------------------------------
desktop=$src/packaging/tcnedit.desktop
mimexml=$src/packaging/tcnedit-mime.xml

out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate reports: $out"
grep -qx 'Exec=tcnedit %f' "$desktop" || fail "the desktop entry does not start 'tcnedit %f'"
grep -qx 'Icon=tcnedit' "$desktop" || fail "the desktop entry's icon is not tcnedit"
grep -qx "MimeType=$type;" "$desktop" || fail "the desktop entry does not name $type"
grep -q "<mime-type type=\"$type\">" "$mimexml" || fail "the MIME package does not define $type"

# Debian ships the shared-mime-info document type only as the internal subset of freedesktop.org.xml.
dtd=$scratch/shared-mime-info.dtd
sed -n '/^<!DOCTYPE mime-info \[/,/^\]>/{s/^<!DOCTYPE mime-info \[//;s/^\]>//;p}' \
    /usr/share/mime/packages/freedesktop.org.xml >"$dtd"
grep -q '<!ELEMENT mime-type' "$dtd" || fail "no shared-mime-info document type in freedesktop.org.xml"
xmllint --noout --dtdvalid "$dtd" "$mimexml" || fail "the MIME package is not valid"

# --- 2. cmake --install ----------------------------------------------------------------------------------
expected=$(
    cat <<'LIST'
usr/bin/tcnedit
usr/bin/tcntool
usr/share/applications/tcnedit.desktop
usr/share/icons/hicolor/128x128/apps/tcnedit.png
usr/share/icons/hicolor/16x16/apps/tcnedit.png
usr/share/icons/hicolor/256x256/apps/tcnedit.png
usr/share/icons/hicolor/32x32/apps/tcnedit.png
usr/share/icons/hicolor/48x48/apps/tcnedit.png
usr/share/icons/hicolor/64x64/apps/tcnedit.png
usr/share/icons/hicolor/scalable/apps/tcnedit.svg
usr/share/mime/packages/tcnedit.xml
LIST
)
files_under() { (cd "$1" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort); }

DESTDIR=$scratch/install cmake --install "$bin" --prefix /usr >/dev/null
got=$(files_under "$scratch/install")
[ "$got" = "$expected" ] || fail "cmake --install installed:"$'\n'"$got"
for size in 16 32 48 64 128 256; do
    # A PNG's width and height stand big-endian at bytes 16 and 20 of its IHDR chunk.
    png=$scratch/install/usr/share/icons/hicolor/${size}x$size/apps/tcnedit.png
    [ "$(od -An -tx1 -j12 -N12 "$png" | tr -d ' \n')" = "$(printf '49484452%08x%08x' "$size" "$size")" ] ||
        fail "the ${size}x$size icon is not a $size x $size PNG"
done

# --- 3. The Debian package -------------------------------------------------------------------------------
cpack --config "$bin/CPackConfig.cmake" -G DEB -B "$scratch/cpack" >"$scratch/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$scratch/cpack.log")"
debs=("$scratch"/cpack/*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then fail "cpack made no single .deb: ${debs[*]}"; fi
deb=${debs[0]}
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$bin/CPackConfig.cmake")
[ "$(basename "$deb")" = "tcnedit_${version}_$(dpkg --print-architecture).deb" ] ||
    fail "unexpected package file name $(basename "$deb")"

[ "$(dpkg-deb -f "$deb" Package)" = tcnedit ] || fail "Package is not tcnedit"
for field in Version Maintainer Section Description; do
    [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "the package has no $field"
done
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
dep_names=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//;s/ .*//')
for dep in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 zlib1g; do
    grep -qxF "$dep" <<<"$dep_names" || fail "Depends lacks $dep"
done
# Every dependency is a Debian package name (with an optional version), never a library file.
tr ',' '\n' <<<"$depends" | sed 's/^ *//' | grep -Evq '^[a-z0-9][a-z0-9.+-]+( \([<>=]+ [^)]+\))?$' &&
    fail "Depends has an entry that is not a package name"

mkdir -p "$scratch/control"
dpkg-deb -e "$deb" "$scratch/control"
control_files=$(files_under "$scratch/control" | tr '\n' ' ')
[ "$control_files" = "control md5sums " ] || fail "unexpected control files (maintainer scripts?): $control_files"

root=$scratch/root
dpkg-deb -x "$deb" "$root"
got=$(files_under "$root")
[ "$got" = "$expected" ] || fail "the package holds:"$'\n'"$got"
for program in tcnedit tcntool; do [ -x "$root/usr/bin/$program" ] || fail "$program is not executable"; done
"$root/usr/bin/tcnedit" --version | grep -qx "tcnedit $version" || fail "the packaged tcnedit does not run"
desktop-file-validate "$root/usr/share/applications/tcnedit.desktop" || fail "the installed desktop entry"

# --- 4. The MIME type in a MIME database built from the package ------------------------------------------
mime_out=$(XDG_DATA_DIRS=$root/usr/share update-mime-database "$root/usr/share/mime" 2>&1) ||
    fail "update-mime-database: $mime_out"
[ -z "$mime_out" ] || fail "update-mime-database reports: $mime_out"
grep -qx "50:$type:\*.tcn" "$root/usr/share/mime/globs2" || fail "no *.tcn glob in globs2"

samples=$scratch/samples
mkdir -p "$samples"
"$root/usr/bin/tcntool" demo "$samples/demo.TCN" >/dev/null || fail "the packaged tcntool does not run"
cp "$samples/demo.TCN" "$samples/lower.tcn"
cp "$samples/demo.TCN" "$samples/channels.dat"
echo "not a channel file" >"$samples/notes.dat"
resolved=$(cd "$samples" && XDG_DATA_HOME=$scratch/no-home XDG_DATA_DIRS=$root/usr/share:/usr/share \
    "$probe" demo.TCN lower.tcn channels.dat notes.dat)
echo "$resolved"
for sample in demo.TCN lower.tcn; do
    grep -qx "$sample $type" <<<"$resolved" || fail "$sample does not resolve to $type"
done
for sample in channels.dat notes.dat; do
    if grep -q "^$sample $type\$" <<<"$resolved"; then fail "$sample, not named *.tcn, resolves to $type"; fi
done

echo "packaging: OK"
