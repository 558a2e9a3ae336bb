#!/usr/bin/env bash
# Checks the Debian package that scripts/package.sh built (or the .deb given as argument): its
# control fields and file list, lintian, the desktop entry and the AppStream metadata, and the
# installed programs themselves, unpacked into a throwaway root. Fails on the first fault.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(Tickora VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
deb=${1:-build/package/tickora_${version}_amd64.deb}
fail() { echo "check-package: $*" >&2; exit 1; }
[ -f "$deb" ] || fail "no package $deb (run scripts/package.sh)"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = tickora ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', the project's is $version"
[ "$(field Architecture)" = amd64 ] || fail "Architecture is '$(field Architecture)'"
depends=$(field Depends)
for dep in libqt6widgets6 libqt6network6 libqt6printsupport6 libqt6dbus6 libquazip1-qt6-1 qt6-qpa-plugins \
  qt6-translations-l10n fonts-ipafont-gothic tzdata; do
  [[ ", $depends," == *", $dep"[\ ,]* ]] || fail "Depends lacks $dep: $depends"
done
description=$(field Description)
grep -q '^watch up to twelve Japanese stocks' <<<"$description" || fail "no English synopsis: $description"
grep -q '日本株' <<<"$description" || fail "no Japanese description: $description"
dpkg-deb --info "$deb" >/dev/null

contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}')
expected=(
  ./usr/bin/tickora ./usr/bin/tickora-market ./usr/share/tickora/Auot.html
  ./usr/share/applications/tickora.desktop ./usr/share/metainfo/tickora.metainfo.xml
  ./usr/share/icons/hicolor/scalable/apps/tickora.svg
  ./usr/share/doc/tickora/copyright ./usr/share/doc/tickora/changelog.gz
  ./usr/share/man/man1/tickora.1.gz ./usr/share/man/man1/tickora-market.1.gz
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/tickora.png")
done
for path in "${expected[@]}"; do
  grep -qxF "$path" <<<"$contents" || fail "the package lacks $path"
done
! grep -q '^\./usr/local\|/build/' <<<"$contents" || fail "the package holds build paths: $contents"

# Lintian: no errors.
lintian --fail-on error "$deb" ||
  fail "lintian reports errors"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
usr=$root/usr
desktop-file-validate "$usr/share/applications/tickora.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$usr/share/metainfo/tickora.metainfo.xml" || fail "appstreamcli validate"
entry() { sed -n "s/^$1=//p" "$usr/share/applications/tickora.desktop"; }
[ -x "$usr/bin/$(entry Exec | cut -d' ' -f1)" ] || fail "Exec=$(entry Exec) is not an installed program"
[ -f "$usr/share/icons/hicolor/48x48/apps/$(entry Icon).png" ] || fail "Icon=$(entry Icon) is not installed"
[ "$(entry StartupWMClass)" = Tickora ] || fail "StartupWMClass is not the program's window class Tickora"
cmp -s "$usr/share/doc/tickora/copyright" LICENSE || fail "the copyright file is not LICENSE"

# The unpacked programs run from their own prefix, without a display.
tickora=$usr/bin/tickora
mkdir -p "$root/tmp" "$root/run"
chmod 700 "$root/run"
export XDG_RUNTIME_DIR=$root/run
out=$(env -u DISPLAY "$tickora" --version) || fail "tickora --version failed"
[ "$out" = "tickora $version" ] || fail "tickora --version says '$out'"
env -u DISPLAY "$tickora" --help | grep -q -- '--data-dir' || fail "tickora --help does not name --data-dir"
set +e
err=$(env -u DISPLAY "$tickora" --no-such-option 2>&1 >/dev/null)
rc=$?
set -e
[ $rc -eq 2 ] || fail "an unknown option ends with $rc instead of 2"
grep -q -- '--no-such-option' <<<"$err" || fail "an unknown option is not named: $err"
env -u DISPLAY "$usr/bin/tickora-market" --help | grep -q -- '--port' || fail "tickora-market --help failed"

# The installed program takes its help document from its own share/tickora: mark the unpacked
# copy, start tickora on a fresh data folder and wait for the marked copy to arrive there.
echo '<p>installed copy</p>' >"$usr/share/tickora/Auot.html"
data=$root/kabu
TMPDIR=$root/tmp QT_QPA_PLATFORM=offscreen "$tickora" --data-dir "$data" \
  >"$root/tickora.log" 2>&1 &
app=$!
for _ in $(seq 100); do [ -s "$data/Auot.html" ] && break; sleep 0.1; done
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
grep -q 'installed copy' "$data/Auot.html" 2>/dev/null ||
  fail "tickora did not take the help document from its prefix: $(cat "$root/tickora.log")"
echo "check-package: $deb is sound"
