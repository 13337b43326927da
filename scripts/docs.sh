#!/usr/bin/env bash
# Writes the engine's API reference into build-docs/html/ with Doxygen, from the comments of the
# public headers (what cmake --install puts in include/quorvane/). A public name without a doc
# comment, or a comment Doxygen cannot read, fails it. Installs Doxygen on Debian 12.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build-docs"
"$root/scripts/setup.sh" docs
mkdir -p "$out/include"

# The version header as the build makes it.
version=$(sed -n 's/^project(Quorvane VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
IFS=. read -r major minor patch <<<"$version"
sed -e "s/@PROJECT_VERSION_MAJOR@/$major/" -e "s/@PROJECT_VERSION_MINOR@/$minor/" \
  -e "s/@PROJECT_VERSION_PATCH@/$patch/" -e "s/@PROJECT_VERSION@/$version/" \
  "$root/cmake/qvversion.h.in" >"$out/include/qvversion.h"

headers=""
for name in qvscreen.h qvsurface.h bitmapfont.h input.h imageload.h errors.h container.h; do
  headers+=" $root/qv/$name"
done

rm -f "$out/warnings.txt"
status=0
doxygen - <<DOXYFILE || status=1
PROJECT_NAME           = Quorvane
PROJECT_NUMBER         = $version
PROJECT_BRIEF          = "A small 2D engine over DirectDraw, DirectInput and GDI"
OUTPUT_DIRECTORY       = $out
INPUT                  = $headers $out/include/qvversion.h
FILE_PATTERNS          = *.h
RECURSIVE              = NO
FULL_PATH_NAMES        = NO
JAVADOC_AUTOBRIEF      = YES
EXTRACT_ALL            = NO
EXTRACT_PRIVATE        = NO
EXTRACT_STATIC         = NO
ENABLE_PREPROCESSING   = YES
MACRO_EXPANSION        = YES
EXPAND_ONLY_PREDEF     = YES
PREDEFINED             = WINAPI= CALLBACK= APIENTRY=
SEARCH_INCLUDES        = NO
QUIET                  = YES
WARNINGS               = YES
WARN_IF_UNDOCUMENTED   = YES
WARN_IF_DOC_ERROR      = YES
WARN_NO_PARAMDOC       = NO
WARN_AS_ERROR          = FAIL_ON_WARNINGS
WARN_LOGFILE           = $out/warnings.txt
GENERATE_HTML          = YES
GENERATE_LATEX         = NO
HAVE_DOT               = NO
DOXYFILE
if [ -s "$out/warnings.txt" ]; then
  cat "$out/warnings.txt" >&2
  status=1
fi
echo "docs: $out/html/index.html"
exit "$status"
