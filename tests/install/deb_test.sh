#!/usr/bin/env bash
# cpack -G DEB makes a .deb that holds both programs under /usr and depends on the libraries
# they link, as dpkg-shlibdeps works them out. Nothing is installed on this machine.
#   deb_test.sh BUILD_DIR
set -euo pipefail
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || {
  cat "$out/cpack.log"
  fail "cpack"
}
deb=$(ls "$out"/*.deb)
depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
grep -q 'libc6' <<<"$depends" || fail "Depends has no libc6"
if [ -f "$build/bin/portmesa" ]; then
  grep -q 'libqt6widgets6' <<<"$depends" || fail "Depends has no Qt widgets library"
fi
contents=$(dpkg-deb --contents "$deb")
for f in usr/bin/portmesa-cli usr/share/portmesa/define.ecf usr/share/man/man1/portmesa-cli.1.gz; do
  grep -q " \./$f\$" <<<"$contents" || fail "no /$f in the package"
done
