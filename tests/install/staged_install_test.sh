#!/usr/bin/env bash
# Installs the build into a staging root (DESTDIR) and checks what lands where. The staged
# programs run with --version and --help only; the first start that fills the XDG folders
# runs in a network namespace of its own (unshare -n: no interface but a loopback that is
# down), and only where one can be made.
#   staged_install_test.sh BUILD_DIR VERSION GUI(0|1)
set -euo pipefail
build=$1 version=$2 gui=$3
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
root=$stage/usr
id=org.portmesa.portmesa

expected=(
  bin/portmesa-cli
  share/portmesa/define.ecf
  share/bash-completion/completions/portmesa-cli
  share/man/man1/portmesa-cli.1.gz
  share/doc/portmesa/README.md
)
if [ "$gui" = 1 ]; then
  expected+=(
    bin/portmesa
    share/man/man1/portmesa.1.gz
    share/applications/$id.desktop
    share/metainfo/$id.metainfo.xml
    share/icons/hicolor/scalable/apps/$id.svg
  )
  for size in 16 22 24 32 48 64 128 256; do
    png=share/icons/hicolor/${size}x${size}/apps/$id.png
    expected+=("$png")
  done
fi
for f in "${expected[@]}"; do
  [ -f "$root/$f" ] || fail "missing /usr/$f"
done
# Nothing else: no build-tree settings folder, no test programs, no libraries.
extra=$(cd "$root" && find . -type f | sed 's|^\./||' | sort |
  grep -vxF -f <(printf '%s\n' "${expected[@]}") || true)
[ -z "$extra" ] || fail "unexpected files installed: $extra"

if [ "$gui" = 1 ]; then
  for size in 16 22 24 32 48 64 128 256; do
    file "$root/share/icons/hicolor/${size}x${size}/apps/$id.png" |
      grep -q "PNG image data, $size x $size" || fail "the ${size}x${size} icon is not that size"
  done
  [ "$("$root/bin/portmesa" --version)" = "portmesa $version" ] || fail "portmesa --version"
  "$root/bin/portmesa" --help | grep -q '^Usage: portmesa' || fail "portmesa --help"
  if command -v appstreamcli >/dev/null; then
    appstreamcli validate-tree --no-net "$stage" >/dev/null || {
      appstreamcli validate-tree --no-net "$stage"
      fail "appstreamcli validate-tree"
    }
  fi
fi
[ "$("$root/bin/portmesa-cli" --version)" = "portmesa-cli $version" ] || fail "portmesa-cli --version"
zcat "$root/share/man/man1/portmesa-cli.1.gz" | grep -q '^\.SH "JSON OUTPUT"' ||
  fail "the man page lacks its JSON section"
zcat "$root/share/man/man1/portmesa-cli.1.gz" | grep -q 'password\\-file' ||
  fail "the man page lacks the commands' options"
cmp -s "$root/share/portmesa/define.ecf" "$build/share/portmesa/define.ecf" ||
  fail "the shipped define.ecf is not the default one"

# First start of the installed program: the settings copied into the XDG config folder, the
# folders private.
if unshare -n true 2>/dev/null; then
  home=$stage/home
  mkdir -p "$home"
  HOME=$home XDG_CONFIG_HOME= XDG_STATE_HOME= unshare -n \
    "$root/bin/portmesa-cli" discover --wait 0.1 --json >/dev/null 2>"$stage/err" || true
  cmp -s "$home/.config/portmesa/define.ecf" "$root/share/portmesa/define.ecf" ||
    fail "define.ecf was not copied into ~/.config/portmesa: $(cat "$stage/err")"
  [ -d "$home/.local/state/portmesa" ] || fail "no ~/.local/state/portmesa"
  [ "$(stat -c %a "$home/.config/portmesa")" = 700 ] || fail "~/.config/portmesa is not private"
  grep -q "can't be read" "$stage/err" && fail "the first start could not read: $(cat "$stage/err")"
else
  echo "no network namespace to be had: the first start is not tried"
fi
echo "staged install: ${#expected[@]} files as expected"
