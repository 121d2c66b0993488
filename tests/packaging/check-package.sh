#!/usr/bin/env bash
# check-package.sh CPACK BUILD_DIR WORK_DIR MIMETYPE_OF
# Builds the .deb from BUILD_DIR, unpacks it under WORK_DIR/root and checks
# the installed files with desktop-file-validate, appstreamcli, xmllint,
# update-mime-database and man, then runs the installed tarvo-cli.
set -uo pipefail
cpack=$1 build=$2 work=$3 mimetype_of=$4
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "PASS: $*"; }
check() {  # check WHAT COMMAND...: passes when the command succeeds
  local what=$1; shift
  if out=$("$@" 2>&1); then pass "$what"; else fail "$what"; echo "$out"; fi
}

rm -rf "$work" && mkdir -p "$work"
if ! "$cpack" --config "$build/CPackConfig.cmake" -B "$work/deb" > "$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1
fi
deb=$(ls "$work"/deb/*.deb)
root=$work/root
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x $deb"; exit 1; }
share=$root/usr/share
echo "package: $(dpkg-deb -f "$deb" Package Version Architecture | tr '\n' ' ')"

depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 qt6-qpa-plugins libc6; do
  [[ $depends == *"$dep"* ]] && pass "Depends names $dep" || fail "Depends lacks $dep: $depends"
done

expected=(usr/bin/tarvo usr/bin/tarvo-cli usr/share/man/man1/tarvo-cli.1 usr/share/man/man1/tarvo.1
  usr/share/applications/org.tarvo.Tarvo.desktop usr/share/mime/packages/org.tarvo.Tarvo.xml
  usr/share/metainfo/org.tarvo.Tarvo.metainfo.xml usr/share/doc/tarvo/copyright
  usr/share/icons/hicolor/scalable/apps/org.tarvo.Tarvo.svg)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/org.tarvo.Tarvo.png")
done
for f in "${expected[@]}"; do
  [ -f "$root/$f" ] || fail "not installed: $f"
done
for size in 16 22 24 32 48 64 128 256; do
  # A PNG's width and height are the big-endian words at bytes 16 and 20.
  png=$share/icons/hicolor/${size}x${size}/apps/org.tarvo.Tarvo.png
  dims=$(od -An -tu4 --endian=big -j16 -N8 "$png" 2>/dev/null | xargs)
  [ "$dims" = "$size $size" ] || fail "icon ${size}x${size} is $dims"
done

check "desktop-file-validate" desktop-file-validate "$share/applications/org.tarvo.Tarvo.desktop"
check "appstreamcli validate" appstreamcli validate --no-net "$share/metainfo/org.tarvo.Tarvo.metainfo.xml"
# The metainfo with the desktop file and icons it names, as software centres read them.
check "appstreamcli validate-tree" appstreamcli validate-tree --no-net "$root"
check "xmllint svg icon" xmllint --noout "$share/icons/hicolor/scalable/apps/org.tarvo.Tarvo.svg"
for page in tarvo tarvo-cli; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=all -l "$share/man/man1/$page.1" 2>&1 >/dev/null)
  [ -z "$warnings" ] && pass "man $page renders" || fail "man $page: $warnings"
done

# The installed type against the DTD the shared-mime-info package declares.
sed -n '/<!DOCTYPE mime-info \[/,/^]>/{/<!DOCTYPE/d;/^]>/d;p}' /usr/share/mime/packages/freedesktop.org.xml > "$work/mime-info.dtd"
check "xmllint mime against the shared-mime-info DTD" \
  xmllint --noout --dtdvalid "$work/mime-info.dtd" "$share/mime/packages/org.tarvo.Tarvo.xml"

# The file manager's view, from one database merged as dpkg's trigger does:
# a .prd by name, a renamed product file by its root, other XML left alone.
mime=$work/mime
mkdir -p "$mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$share/mime/packages/org.tarvo.Tarvo.xml" "$mime/packages/"
check "update-mime-database" update-mime-database "$mime"
mkdir -p "$work/files"
printf '<?xml version="1.0" encoding="utf-8" ?><product make="A" creator="true"/>' > "$work/files/renamed"
printf '<?xml version="1.0" encoding="utf-8" ?><products/>' > "$work/files/other"
: > "$work/files/empty.prd"
types=$(XDG_DATA_HOME=$work/nohome XDG_DATA_DIRS=$work "$mimetype_of" "$work"/files/{empty.prd,renamed,other})
for want in "empty.prd application/x-tarvo-product" "renamed application/x-tarvo-product" "other application/xml"; do
  grep -q "/${want}\$" <<< "$types" && pass "mime type of ${want% *}" || fail "mime type: want $want, got: $types"
done

check "installed tarvo-cli --help" "$root/usr/bin/tarvo-cli" --help
# The build says what it installs beside the programs: the number of examples
# and whether it built the tutorial.
examples=("$share"/tarvo/examples/*.prd)
[ -e "${examples[0]}" ] || examples=()
[ ${#examples[@]} -eq "${TARVO_EXAMPLES:-0}" ] && pass "${#examples[@]} examples installed" \
  || fail "${#examples[@]} examples installed, ${TARVO_EXAMPLES:-0} expected"
if [ ${#examples[@]} -gt 0 ]; then
  if "$root/usr/bin/tarvo-cli" check --help > /dev/null 2>&1; then
    check "installed tarvo-cli check on the installed examples" "$root/usr/bin/tarvo-cli" check "${examples[@]}"
  else
    echo "SKIP: this tarvo-cli has no check command"
  fi
  for ex in "${examples[@]}"; do
    check "installed tarvo-cli info $(basename "$ex")" "$root/usr/bin/tarvo-cli" info "$ex"
  done
fi
if [ "${TARVO_TUTORIAL:-0}" = 1 ]; then
  [ -s "$share/tarvo/tutorial.pdf" ] && pass "tutorial.pdf installed" || fail "tutorial.pdf not installed"
  # The help window reads the text and every picture it names from beside it.
  [ -s "$share/tarvo/tutorial.md" ] && pass "tutorial.md installed" || fail "tutorial.md not installed"
  while IFS= read -r picture; do
    [ -s "$share/tarvo/$picture" ] || fail "$picture named by tutorial.md is not installed"
  done < <(grep -o '](screens/[^)]*)' "$share/tarvo/tutorial.md" 2>/dev/null | sed 's/^](//; s/)$//' | sort -u)
fi

echo "$failures failed"
[ "$failures" -eq 0 ]
