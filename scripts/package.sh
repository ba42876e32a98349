#!/usr/bin/env bash
# Builds the Debian package build/marquel_<version>_<arch>.deb from the build in build/ (only the
# program and the tool that makes the delivered database are built, when not up to date), then
# checks it: desktop-file-validate, appstreamcli validate, lintian (no errors). Ends with status 1
# when a check fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j"$(nproc)" --target marquel marquel_makedb

cache() { sed -n "s/^$1:[A-Z]*=//p" build/CMakeCache.txt; }
version=$(cache CMAKE_PROJECT_VERSION)
homepage=$(cache MARQUEL_HOMEPAGE)
arch=$(dpkg --print-architecture)
work=build/package
stage=$work/marquel
deb=build/marquel_${version}_${arch}.deb
rm -rf "$work" build/marquel_*.deb
mkdir -p "$stage"

# The program stripped of its debugging information, the delivered database, schema, menu entry,
# icons, metainfo and manual page, all under /usr.
DESTDIR="$PWD/$stage" cmake --install build --prefix /usr --strip >/dev/null
gzip -9n "$stage/usr/share/man/man1/marquel.1"

doc=$stage/usr/share/doc/marquel
mkdir -p "$doc"
install -m 644 packaging/copyright "$doc/copyright"
date=$(git log -1 --format=%cD 2>/dev/null || date -R)
sed -e "s/@VERSION@/$version/" -e "s/@DATE@/$date/" packaging/changelog.in | gzip -9n > "$doc/changelog.gz"
chmod 644 "$doc/changelog.gz"

# The libraries the program was linked with, as Debian packages. The platform plugin, the Chinese
# fonts and Qt's Chinese texts are loaded at run time, so no linker names them.
mkdir -p "$work/debian"
printf 'Source: marquel\n\nPackage: marquel\nArchitecture: any\n' > "$work/debian/control"
libraries=$(cd "$work" && dpkg-shlibdeps -O -e marquel/usr/bin/marquel 2>/dev/null | sed -n 's/^shlibs:Depends=//p')
[ -n "$libraries" ] || { echo "dpkg-shlibdeps found no libraries" >&2; exit 1; }

mkdir -p "$stage/DEBIAN"
cat > "$stage/DEBIAN/control" <<CONTROL
Package: marquel
Version: $version
Architecture: $arch
Maintainer: The Marquel developers <marquel@tembra.example>
Installed-Size: $(du -sk "$stage" | cut -f1)
Depends: $libraries, qt6-qpa-plugins, fonts-noto-cjk
Recommends: qt6-translations-l10n
Section: misc
Priority: optional
Homepage: $homepage
Description: evaluation of direct-marketing campaigns
 Marquel is the desktop program with which a marketing department evaluates
 its direct-marketing campaigns: marketing plans, their lists of targets
 imported from Access, Excel or dBase files, every response by channel and
 product, statistics per plan and day, charts, printed reports and exports.
 .
 Its interface is in Simplified Chinese. Every user has a database of their
 own in ~/.local/share/Marquel/; several seats can share a PostgreSQL server.
CONTROL
(cd "$stage" && find usr -type f -print0 | sort -z | xargs -0 md5sum) > "$stage/DEBIAN/md5sums"
chmod 644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"
dpkg-deb --root-owner-group --build "$stage" "$deb" >/dev/null
echo "built $deb"

# The checks a distribution makes of such a package.
desktop-file-validate "$stage"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$stage"/usr/share/metainfo/*.metainfo.xml
lintian --fail-on error --suppress-tags-from-file /dev/null "$deb" || { echo "lintian found errors in $deb" >&2; exit 1; }
echo "checked $deb: desktop entry, AppStream metadata, lintian"
