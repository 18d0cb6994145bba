#!/usr/bin/env bash
# Checks the desktop integration and the Debian package of a built tree:
#   check_packaging.sh SOURCE_DIR BINARY_DIR SCRATCH_DIR MIME_PROBE
# 1. the desktop entry passes desktop-file-validate; the MIME package is valid against the document type
#    that Debian's shared-mime-info ships inside its freedesktop.org.xml;
# 2. `cmake --install` into a scratch DESTDIR installs exactly the expected files;
# 3. CPack builds the .deb; its control fields, Depends and file list are as expected, it has no maintainer
#    scripts, and the programs in it run;
# 4. update-mime-database over the package's share/mime resolves channel files to the type by name in any
#    case, and nothing else: a channel file under another name, which the editor refuses, is not claimed;
# 5. lintian reports neither errors nor warnings on the .deb, and the AppStream metainfo is valid;
# 6. both manual pages render without a warning, and every command and option tcntool --help lists (and
#    every option of tcnedit --help) is in its page; the bash completion offers every command and each
#    command's options; the user manual's pictures are all installed beside it.
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
usr/share/bash-completion/completions/tcntool
usr/share/doc/tcnedit/changelog.gz
usr/share/doc/tcnedit/copyright
usr/share/doc/tcnedit/manual.html
usr/share/doc/tcnedit/screenshots/1-satellites.png
usr/share/doc/tcnedit/screenshots/2-transponders.png
usr/share/doc/tcnedit/screenshots/3-channels-caid.png
usr/share/doc/tcnedit/screenshots/3-channels.png
usr/share/doc/tcnedit/screenshots/4-favourites.png
usr/share/doc/tcnedit/screenshots/5-compare.png
usr/share/doc/tcnedit/screenshots/6-tools-menu.png
usr/share/doc/tcnedit/screenshots/7-order-like.png
usr/share/doc/tcnedit/screenshots/8-import-transponders.png
usr/share/icons/hicolor/128x128/apps/tcnedit.png
usr/share/icons/hicolor/16x16/apps/tcnedit.png
usr/share/icons/hicolor/256x256/apps/tcnedit.png
usr/share/icons/hicolor/32x32/apps/tcnedit.png
usr/share/icons/hicolor/48x48/apps/tcnedit.png
usr/share/icons/hicolor/64x64/apps/tcnedit.png
usr/share/icons/hicolor/scalable/apps/tcnedit.svg
usr/share/man/man1/tcnedit.1.gz
usr/share/man/man1/tcntool.1.gz
usr/share/metainfo/org.example.tcnedit.metainfo.xml
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

# --- 5. Debian's checker and AppStream ----------------------------------------------------------------
# No overrides: every tag lintian reports at error or warning level fails the package.
lintian_out=$(lintian --fail-on error,warning "$deb" 2>&1) || fail "lintian:"$'\n'"$lintian_out"
if grep -q '^[EW]: ' <<<"$lintian_out"; then fail "lintian:"$'\n'"$lintian_out"; fi
metainfo=$root/usr/share/metainfo/org.example.tcnedit.metainfo.xml
appstream_out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $appstream_out"
grep -q "<mediatype>$type</mediatype>" "$metainfo" || fail "the metainfo does not name $type"
grep -q '<launchable type="desktop-id">tcnedit.desktop</launchable>' "$metainfo" ||
    fail "the metainfo does not launch tcnedit.desktop"

# --- 6. Manual pages, completion, user manual ----------------------------------------------------------
render() { # the page as plain text, failing on any warning of man or groff
    local warnings
    warnings=$(LC_ALL=C MANWIDTH=200 man --warnings -l "$1" 2>&1 >/dev/null) || fail "man -l $1 failed"
    [ -z "$warnings" ] || fail "man -l $1 warns: $warnings"
    LC_ALL=C MANWIDTH=200 man -l "$1" 2>/dev/null | col -b
}
tool_page=$(render "$root/usr/share/man/man1/tcntool.1.gz")
editor_page=$(render "$root/usr/share/man/man1/tcnedit.1.gz")
tool=$root/usr/bin/tcntool
commands=$("$tool" --help | sed -n '/^Subcommands:/,$p' | sed -n 's/^  \([a-z][a-z0-9-]*\) .*/\1/p')
[ "$(wc -l <<<"$commands")" -ge 8 ] || fail "tcntool --help lists only: $commands"
options_of() { "$@" --help | grep -oE -- '(^|[ ,])--?[a-z][a-z0-9-]*' | sed 's/^[ ,]//' | sort -u; }
for command in $commands; do
    grep -qE "^   $command( |\$)" <<<"$tool_page" || fail "tcntool.1 has no section for the command $command"
    for option in $(options_of "$tool" "$command"); do
        grep -qF -- "$option" <<<"$tool_page" || fail "tcntool.1 does not mention $command $option"
    done
done
for option in $("$root/usr/bin/tcnedit" --help | grep -oE -- '--[a-z][a-z0-9-]*' | sort -u); do
    grep -qF -- "$option" <<<"$editor_page" || fail "tcnedit.1 does not mention $option"
done
grep -q '^EXIT STATUS' <<<"$tool_page" || fail "tcntool.1 has no EXIT STATUS"

completion=$root/usr/share/bash-completion/completions/tcntool
complete_line() { # the words the completion offers for the command line "$1" (cursor at its end)
    bash -c 'source "$1"; read -ra COMP_WORDS <<<"$2"; [[ $2 == *" " ]] && COMP_WORDS+=(""); \
             COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _tcntool; printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" "$1"
}
offered=$(complete_line "tcntool ")
for command in $commands; do
    grep -qx "$command" <<<"$offered" || fail "the completion does not offer the command $command"
done
for command in $commands; do
    offered=$(complete_line "tcntool $command -")
    for option in $(options_of "$tool" "$command"); do
        grep -qx -- "$option" <<<"$offered" || fail "the completion does not offer $command $option"
    done
done
[ "$(cd "$samples" && complete_line "tcntool check l")" = lower.tcn ] || fail "the completion does not offer channel files"

manual=$root/usr/share/doc/tcnedit/manual.html
for picture in $(grep -o 'src="[^"]*"' "$manual" | sed 's/^src="//;s/"$//'); do
    [ -f "$(dirname "$manual")/$picture" ] || fail "the user manual shows $picture, which is not installed"
done

echo "packaging: OK"
