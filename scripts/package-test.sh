#!/usr/bin/env bash
# Builds the .deb packages of a build folder (configured with -DCMAKE_INSTALL_PREFIX=/usr),
# unpacks them into a temp root and runs the installed programs from there with a clean
# environment, so that a missing install step fails. Prints what it checks.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
rm -rf "$build/packages"
(cd "$build" && cpack -G DEB >/dev/null)
root=$(mktemp -d)
work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$root" "$work"' EXIT

fail() { echo "package-test: $*" >&2; exit 1; }
for deb in "$build"/packages/*.deb; do
  echo "package-test: $(basename "$deb")"
  dpkg-deb -f "$deb" Package Depends | sed 's/^/  /'
  dpkg -x "$deb" "$root"
done
depends() { dpkg-deb -f "$build"/packages/"$1"_*.deb Depends; }
depends kestrafix | grep -q libsqlite3 || fail "kestrafix does not depend on libsqlite3"
depends kestrafix | grep -q libpq5 || fail "kestrafix does not depend on libpq (the server engine)"
depends kestrafix | grep -q libqt6widgets6 || fail "kestrafix does not depend on Qt (the add-in's dialogs)"
depends kestrafix-host | grep -q 'kestrafix (= ' || fail "kestrafix-host does not depend on kestrafix"
dpkg-deb --ctrl-tarfile "$build"/packages/kestrafix_*.deb | tar -xO ./conffiles |
  grep -qx /etc/xdg/kestrafix/addins.ini || fail "the system-wide registry is no conffile"

multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)
addin=usr/lib/$multiarch/kestrafix/AddIns/Kestrafix
for f in usr/bin/kestrafix usr/bin/kestrafix-host "$addin/libkestrafix.so" "$addin/kxsqlite.so" \
  "usr/lib/$multiarch/kestrafix/ResStr/torvel.049" usr/include/kestrafix/kestrafix.h \
  usr/include/kestrafix/kestrafix_entry_points.h "usr/lib/$multiarch/pkgconfig/kestrafix.pc" \
  usr/share/man/man1/kestrafix.1.gz usr/share/man/man1/kestrafix-host.1.gz \
  usr/share/applications/org.kestrafix.KestrafixHost.desktop \
  usr/share/metainfo/org.kestrafix.KestrafixHost.metainfo.xml \
  usr/share/icons/hicolor/scalable/apps/org.kestrafix.KestrafixHost.svg \
  usr/share/icons/hicolor/48x48/apps/org.kestrafix.KestrafixHost.png \
  usr/share/doc/kestrafix/user-guide.md etc/xdg/kestrafix/addins.ini; do
  [ -e "$root/$f" ] || fail "$f is not in the packages"
done
grep -qx "Library=/$addin/libkestrafix.so" "$root/etc/xdg/kestrafix/addins.ini" ||
  fail "the system-wide registry does not name /$addin/libkestrafix.so"
zcat "$root/usr/share/man/man1/kestrafix.1.gz" | grep -q '^doctor' || fail "kestrafix(1) lacks the commands"
desktop-file-validate "$root/usr/share/applications/org.kestrafix.KestrafixHost.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.kestrafix.KestrafixHost.metainfo.xml" >/dev/null
echo "package-test: files, Depends, conffiles, man pages, desktop entry and metainfo checked"

# The installed programs, with nothing of the build tree and no Kestrafix variable.
run() { env -i HOME="$work/home" PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen "$@"; }
kx="$root/usr/bin/kestrafix"
run "$kx" --version | grep -qx "kestrafix [0-9.]*" || fail "kestrafix --version"
run "$kx" doctor --json >"$work/doctor.json" || true
grep -q "\"item\":\"add-in folder\",\"status\":\"ok\",\"value\":\"$root/$addin\"" "$work/doctor.json" ||
  fail "the installed kestrafix does not take the installed add-in's folder: $(cat "$work/doctor.json")"
run "$kx" init "$work/shop" >/dev/null
cfg=$work/shop/torvel.cfg
run "$kx" machine add --config "$cfg" Laser1 --job-dir 'D:\Jobs\$(Filename)' --nc-dir 'D:\NC' --dir-type 1 \
  --job-ext job --nc-ext nc >/dev/null
mkdir -p "$work/shop/data/Customers/ACME/2024-001"
run "$kx" new-job --config "$cfg" --program-number 1000 --filename A100 --type 0 --machine Laser1 \
  --address ACME --order 2024-001 >/dev/null
[ -d "$work/shop/data/Jobs/A100" ] || fail "new-job made no job folder"
run "$kx" register >/dev/null
tr -d '\r' <"$work/home/.config/kestrafix/addins.ini" | grep -qx "Library=$root/$addin/libkestrafix.so" ||
  fail "register did not name the installed add-in"
run "$kx" doctor --config "$cfg" >/dev/null || fail "doctor found something missing: $(run "$kx" doctor --config "$cfg")"
# A configuration outside an installation: the installed message files.
mkdir "$work/plain"
printf '[TORVEL]\r\nDbName=%s\r\nCountry=49\r\n' "$work/shop/data/jobs.db" >"$work/plain/torvel.cfg"
run "$kx" doctor --config "$work/plain/torvel.cfg" --json >"$work/doctor.json" || true  # no add-in INI there
grep -q "\"item\":\"message file\",\"status\":\"ok\",\"value\":\"$root/usr/lib/$multiarch/kestrafix/ResStr/torvel.049\"" \
  "$work/doctor.json" || fail "the installed message file is not found: $(cat "$work/doctor.json")"
echo "package-test: installed kestrafix --version, init, machine add, new-job, register and doctor ran"

host="$root/usr/bin/kestrafix-host"
run "$host" --version | grep -q "kestrafix-host" || fail "kestrafix-host --version"
run timeout 120 "$host" --config "$cfg" --screenshot "$work/host.png" || fail "kestrafix-host did not open $cfg"
[ -s "$work/host.png" ] || fail "kestrafix-host drew nothing"
echo "package-test: installed kestrafix-host opened the installation"
