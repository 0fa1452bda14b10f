#!/usr/bin/env bash
# Installs the build into a scratch prefix and runs the demo (what `make
# demo` runs) with the installed zelvan on a copy of the installed example
# workspace, in a bare environment and, where a mount namespace can be made,
# with the build and source trees hidden under empty folders: the installed
# files alone must do. Also checks the layout and that the program and the
# component report the project's version.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build=$(realpath "$1")
source=$(realpath "$2")
version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" --strip >"$work/install.log" ||
  { cat "$work/install.log"; exit 1; }
for file in bin/zelvan lib/zelvan/libzelvan_component.so share/zelvan/kova/Config/QkUtil.ini \
  share/zelvan/kova/Tools/MX520/bin/cc520 share/doc/zelvan/examples/Example.kws \
  share/doc/zelvan/README.md share/man/man1/zelvan.1.gz share/bash-completion/completions/zelvan; do
  [ -e "$prefix/$file" ] || fail "not installed: $file"
done
[ -L "$prefix/share/zelvan/kova/Tools/MX520/bin/cc520" ] &&
  [ -x "$prefix/share/zelvan/kova/Tools/MX520/bin/cc520" ] || fail "the stub tools are no executable links"
[ ! -e "$prefix/share/doc/zelvan/examples/.gitattributes" ] || fail "a git file was installed"

# The demo script is the one thing taken from the source tree: copied first.
cp "$source/tools/demo.sh" "$work/demo.sh"
mkdir "$work/empty" "$work/home" "$work/tmp"
cd "$work"
bare() {
  env -i HOME="$work/home" PATH=/usr/bin:/bin TMPDIR="$work/tmp" LANG=C.UTF-8 "$@"
}
# The program runs in a mount namespace of its own in which the build and
# source trees lie under an empty folder (other tests running meanwhile
# still see them): as root, else as a user mapped to root.
hide_trees='mount --bind "$1" "$2" && mount --bind "$1" "$3" && shift 3 && exec "$@"'
namespace=""
case "$work/" in
  "$source"/* | "$build"/*) ;; # the scratch folder would be hidden too
  *)
    for mapping in "" --map-root-user; do
      if unshare $mapping --mount --propagation private \
        sh -c "$hide_trees" sh "$work/empty" "$build" "$source" true 2>/dev/null; then
        namespace="unshare $mapping --mount --propagation private"
        break
      fi
    done
    ;;
esac
hidden=${namespace:+the build tree $build and the source tree $source}
zelvan=$prefix/bin/zelvan
run() {
  if [ -n "$namespace" ]; then
    bare $namespace sh -c "$hide_trees" sh "$work/empty" "$build" "$source" "$@"
  else
    bare "$@"
  fi
}
echo "hidden: ${hidden:-nothing (no mount namespace can be made here)}"

if ! run bash "$work/demo.sh" "$zelvan" "$prefix/share/doc/zelvan/examples" >"$work/demo.log" 2>&1; then
  fail "the demo failed with the installed zelvan"
  tail -30 "$work/demo.log"
fi
# The module in lib/zelvan, the demo installation in share/zelvan/kova.
grep -qF "registered $prefix/lib/zelvan/libzelvan_component.so" "$work/demo.log" ||
  fail "the component was not taken from lib/zelvan: $(grep registered "$work/demo.log")"
grep -qF "MX-520    $prefix/share/zelvan/kova/Config/Builder/Template/MX-520.ini" "$work/demo.log" ||
  fail "the demo installation was not found"
grep -q '^; lk520 module Motor.abs' "$work/demo.log" || fail "the demo built nothing"

# One version: the program's and the component's Version object's.
[ "$(run "$zelvan" --version)" = "zelvan $version" ] ||
  fail "--version: $(run "$zelvan" --version) (want zelvan $version)"
IFS=. read -r major minor patch <<<"$version"
expected="HRESULT 0x00000000
out[0]: $(((major << 16) | minor))
out[1]: $((patch << 16))
status 0x00000000"
actual=$(run "$zelvan" call Version.Method7 2>&1) || true
[ "$actual" = "$expected" ] || fail "Version object: [$actual] (want [$expected])"
# Without its demo installation, a copied program says what it misses.
mkdir -p "$work/alone/bin"
cp "$zelvan" "$work/alone/bin/"
actual=$(run "$work/alone/bin/zelvan" cpu list 2>&1) && fail "cpu list without an installation succeeded"
[[ $actual == *"no toolchain installation: give --install DIR or set ZELVAN_INSTALL"* ]] ||
  fail "cpu list without an installation: $actual"

if [ "$failures" != 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "the installed zelvan ran the demo"
