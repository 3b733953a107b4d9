#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks what a desktop takes from it: the
# programs, the launcher entry, the icons and the file types of the dumps.
# check-install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

fail() {
  echo "check-install: $*" >&2
  exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/kestrel bin/kestrel-cli share/applications/kestrel.desktop \
  share/icons/hicolor/scalable/apps/kestrel.svg share/icons/hicolor/48x48/apps/kestrel.png \
  share/mime/packages/kestrel.xml; do
  [ -s "$prefix/$f" ] || fail "$f was not installed"
done
[ -x "$prefix/bin/kestrel" ] && [ -x "$prefix/bin/kestrel-cli" ] || fail "the programs do not run"

desktop=$prefix/share/applications/kestrel.desktop
desktop-file-validate "$desktop" || fail "the desktop entry is not valid"
grep -qx 'Exec=kestrel %F' "$desktop" || fail "the desktop entry does not pass the files"
grep -qx 'Categories=Utility;' "$desktop" || fail "the desktop entry is not a utility"

# The PNG is a 48×48 image: its header names the width and height.
png=$prefix/share/icons/hicolor/48x48/apps/kestrel.png
[ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "the icon is no PNG"
[ "$(head -c 24 "$png" | tail -c 8 | od -An -tx1 | tr -d ' \n')" = "0000003000000030" ] ||
  fail "the icon is not 48×48"
xmllint --noout "$prefix/share/icons/hicolor/scalable/apps/kestrel.svg" || fail "the SVG icon is not XML"

# The file types register, and the dumps' endings lead to them.
xmllint --noout "$prefix/share/mime/packages/kestrel.xml" || fail "the file types are not XML"
update-mime-database "$prefix/share/mime" || fail "the file types do not register"
globs=$prefix/share/mime/globs2
for pair in 'application/x-kestrel-pm:\*\.pm' 'application/x-kestrel-gdfs:\*\.gdfs' \
  'application/x-kestrel-gdfs:\*\.gdf'; do
  grep -q ":$pair\$" "$globs" || fail "no file type for $pair"
done
for type in application/x-kestrel-pm application/x-kestrel-gdfs text/vcard; do
  grep -q "MimeType=.*$type;" "$desktop" || fail "the desktop entry does not open $type"
done

# The installed command-line tool reads a dump.
"$prefix/bin/kestrel-cli" show --summary "$source/samples/demo.pm" >/dev/null ||
  fail "the installed kestrel-cli does not read the demo dump"
echo "installed and checked under a temporary prefix"
