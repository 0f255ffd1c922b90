#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed program: one folder with both programs and the manual, links to
# them in the system's binary folder, the desktop entry, the icon, the manual
# pages, the copyright file, the changelog and the AppStream metainfo; and the
# installed converter runs from its folder. Usage: install-layout.sh BUILD SYSTEM_PREFIX
set -euo pipefail
build=$1
system=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

for folder in /opt/verdask /opt/readers/verdask; do
    rm -rf "${root:?}"/*
    DESTDIR=$root cmake --install "$build" --prefix "$folder" >/dev/null
    for program in verdask verdask-convert; do
        [[ -x $root$folder/$program ]] || fail "$folder/$program is not installed"
        [[ $(readlink "$root$system/bin/$program") == "$folder/$program" ]] ||
            fail "$system/bin/$program does not lead to $folder/$program"
    done
    [[ -f $root$folder/readme.html ]] || fail "readme.html is not beside the program"
    [[ -f "$root$folder/presets/Large print.sty" ]] || fail "the style presets are not beside the program"
done

entry=$root$system/share/applications/verdask.desktop
grep -qx 'Exec=verdask %f' "$entry" || fail "the desktop entry does not start verdask with the file opened"
grep -qx 'MimeType=text/plain;text/html;' "$entry" || fail "the desktop entry offers the program for no file"
grep -qx 'Icon=verdask' "$entry" || fail "the desktop entry names no icon"
[[ -f $root$system/share/icons/hicolor/256x256/apps/verdask.png ]] || fail "no icon"
[[ -f $root$system/share/icons/hicolor/scalable/apps/verdask.svg ]] || fail "no scalable icon"
for page in verdask verdask-convert; do
    manual=$root$system/share/man/man1/$page.1.gz
    [[ -f $manual ]] || fail "no manual page for $page"
    # man reads it without a complaint of groff's.
    warnings=$(MANWIDTH=80 man --warnings -l "$manual" 2>&1 >/dev/null) || fail "man cannot show $page.1"
    [[ -z $warnings ]] || fail "$page.1: $warnings"
done
[[ -f $root$system/share/doc/verdask/copyright ]] || fail "no copyright file"
[[ -f $root$system/share/doc/verdask/changelog.gz ]] || fail "no changelog"
metainfo=$root$system/share/metainfo/io.github.verdask_converter.verdask.metainfo.xml
[[ -f $metainfo ]] || fail "no AppStream metainfo"
appstreamcli validate --no-net --pedantic "$metainfo" >/dev/null || fail "the AppStream metainfo is not valid"

printf 'Author\r\nTitle\r\n     A paragraph -- with a dash.\r\n' >"$root/book.txt"
HOME=$root "$root/opt/readers/verdask/verdask-convert" "$root/book.txt" >/dev/null ||
    fail "the installed converter does not convert"
grep -q 'A paragraph &#150; with a dash.' "$root/book.html" || fail "the page lacks the text"
echo "installed layout ok"
