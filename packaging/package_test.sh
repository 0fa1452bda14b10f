#!/usr/bin/env bash
# Builds the Debian package with CPack, unpacks it into a scratch root with
# dpkg -x (no root needed) and checks its fields and its file list (the
# program, the module, the demo installation and the examples as the source
# tree holds them, the manual page, the completion, the doc files); lintian,
# when installed, must report no error. (install_test.sh runs the same
# layout.)
# Skipped (77) without the tools CPack needs for it.
# Usage: package_test.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build=$(realpath "$1")
source=$(realpath "$2")
version=$3
for tool in cpack dpkg-deb dpkg-shlibdeps file; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out") >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
deb=$work/out/zelvan_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { echo "FAIL: no $deb: $(ls "$work/out")"; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = zelvan ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
for library in libc6 libstdc++6; do
  [[ ", $(field Depends)," == *", $library "* ]] || fail "Depends lacks $library: $(field Depends)"
done
[[ $(field Depends) != *make* ]] || fail "make is a dependency: $(field Depends)"
[ "$(field Recommends)" = "make, bash-completion" ] || fail "Recommends: $(field Recommends)"

# The file list: every file and link, as the source tree and the build say.
dpkg -x "$deb" "$work/root"
(cd "$work/root" && find . ! -type d | sed 's|^\./||' | sort) >"$work/actual"
{
  printf '%s\n' usr/bin/zelvan usr/lib/zelvan/libzelvan_component.so \
    usr/share/bash-completion/completions/zelvan usr/share/man/man1/zelvan.1.gz \
    usr/share/doc/zelvan/README.md usr/share/doc/zelvan/copyright usr/share/doc/zelvan/changelog.gz
  (cd "$source/share/kova" && find . ! -type d | sed 's|^\./|usr/share/zelvan/kova/|')
  (cd "$source/examples" && find . ! -type d ! -name .gitattributes |
    sed 's|^\./|usr/share/doc/zelvan/examples/|')
} | sort >"$work/expected"
diff "$work/expected" "$work/actual" >"$work/list.diff" ||
  fail "file list (- missing, + extra): $(cat "$work/list.diff")"
file "$work/root/usr/bin/zelvan" | grep -q ', stripped' || fail "the program is not stripped"

if command -v lintian >/dev/null; then
  # Errors fail the test; warnings are shown. (lintian refuses root unless allowed.)
  if ! lintian --fail-on error --allow-root "$deb" >"$work/lintian" 2>&1; then
    fail "lintian: $(cat "$work/lintian")"
  else
    echo "lintian: $(grep -c . "$work/lintian" || true) tag(s), no error"
    cat "$work/lintian"
  fi
else
  echo "lintian is not installed: not run"
fi

if [ "$failures" != 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "$(wc -l <"$work/actual") files in $(basename "$deb")"
