#!/bin/sh
# The stub toolchain of the demo installation. Each tool of a CPU family's
# bin folder (cc520, as520, lk520, lb520, cv520 ...) is a link to this
# script, which acts by the name it is called by:
#
#   cc*                  compiler: -c SOURCE [-o OBJECT]; -I DIR, -IDIR
#   as* mac* app* mpp*   assembler and macro tools: as the compiler
#   lk*                  linker: objects (.rel), libraries (.lib), the link
#                        command file (.lcf), -o MODULE, -L DIR
#   lb*                  librarian: -fCOMMANDFILE ("-r", the library, then
#                        one object a line); -t LIBRARY lists a library
#   cv*                  converter: MODULE, the format by -Fs32 -Fs24 -Fs16
#                        -Fh20 (else h16), or -o FILE
#
# They compile nothing: each writes a small text that records its inputs
# (an object names its source and every header it includes, found
# through -I the way a compiler finds them; a module its objects,
# libraries and link command file; a library its objects; a converted
# file its module), so a build can be checked end to end. A missing input
# fails with a message; with STUB_TOOL_MISSING_INCLUDES=skip an include
# found nowhere is passed over, as a compiler passes over one in a branch
# not taken (real trees hold many). The output is the same for the same inputs.
# With STUB_TOOL_LOG set, each run appends "<tool> <output>" to that file.
set -u
tool=$(basename "$0")
die() {
  echo "$tool: $*" >&2
  exit 1
}
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT

log() {
  if [ -n "${STUB_TOOL_LOG:-}" ]; then echo "$tool $1" >> "$STUB_TOOL_LOG"; fi
}

title_of() {
  name=$(basename "$1")
  echo "${name%.*}"
}

# The headers SOURCE includes, directly or through other headers, one a
# line into $work/found. Quoted names are looked for beside the including
# file first, then in the -I directories ($work/dirs), in order.
find_includes() {
  : > "$work/found"
  echo "$1" > "$work/queue"
  while [ -s "$work/queue" ]; do
    file=$(head -n 1 "$work/queue")
    tail -n +2 "$work/queue" > "$work/rest" && mv "$work/rest" "$work/queue"
    dir=$(dirname "$file")
    sed -n -e 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/q \1/p' \
      -e 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*<\([^>]*\)>.*/a \1/p' \
      -e 's/^[[:space:]]*\.include[[:space:]]*"\([^"]*\)".*/q \1/p' "$file" | tr -d '\r' \
      > "$work/includes"
    while read -r kind name; do
      hit=
      if [ "$kind" = q ] && [ -f "$dir/$name" ]; then
        hit="$dir/$name"
      else
        while read -r include_dir; do
          if [ -f "$include_dir/$name" ]; then
            hit="$include_dir/$name"
            break
          fi
        done < "$work/dirs"
      fi
      if [ -z "$hit" ]; then
        [ "${STUB_TOOL_MISSING_INCLUDES:-}" = skip ] && continue
        die "$file: cannot find the include file $name"
      fi
      if ! grep -qxF -- "$hit" "$work/found"; then
        echo "$hit" >> "$work/found"
        echo "$hit" >> "$work/queue"
      fi
    done < "$work/includes"
  done
}

compile() {
  source= output= compile_only= preprocess= listing= keep_asm= ims=
  : > "$work/dirs"
  while [ $# -gt 0 ]; do
    case $1 in
      -I) [ $# -ge 2 ] || die "-I needs a directory"; echo "$2" >> "$work/dirs"; shift ;;
      -I*) echo "${1#-I}" >> "$work/dirs" ;;
      -o) [ $# -ge 2 ] || die "-o needs a file"; output=$2; shift ;;
      -c) compile_only=1 ;;
      -P) preprocess=1 ;;
      -XF) keep_asm=1 ;;
      -Oal) keep_asm=1 ims=1 ;;
      -licm | -lvcm | -loop_unroll | -loop_rotation) ;;
      -lf*) ;;
      -l*) listing=1 ;;
      -*) ;;
      *) [ -z "$source" ] || die "one source file expected, got $source and $1"; source=$1 ;;
    esac
    shift
  done
  [ -n "$source" ] || die "no source file"
  [ -f "$source" ] || die "cannot open the source file $source"
  find_includes "$source"
  title=$(title_of "$source")
  if [ -n "$preprocess" ] && [ -z "$compile_only" ]; then
    { echo "; $tool preprocessed $source"; cat "$work/found"; } > "$title.i"
    log "$title.i"
    return
  fi
  [ -n "$compile_only" ] || die "-c missing: this tool only compiles"
  [ -n "$output" ] || output="$title.rel"
  [ -d "$(dirname "$output")" ] || die "no directory for $output"
  {
    echo "; $tool object"
    echo "source $source"
    sed 's/^/include /' "$work/found"
  } > "$output" || die "cannot write $output"
  log "$output"
  # Side files beside the source's project, as the real tools leave them.
  [ -z "$listing" ] || echo "; $tool listing of $source" > "$title.lst"
  [ -z "$keep_asm" ] || echo "; $tool assembler output of $source" > "$title.asm"
  [ -z "$ims" ] || echo "; $tool ims of $source" > "$title.ims"
  return 0
}

# A library named without a directory is looked for in the -L directories.
find_library() {
  case $1 in */*) echo "$1"; return ;; esac
  [ -f "$1" ] && { echo "$1"; return; }
  while read -r dir; do
    if [ -f "$dir/$1" ]; then echo "$dir/$1"; return; fi
  done < "$work/dirs"
  echo "$1"
}

link() {
  output=
  : > "$work/dirs"
  : > "$work/inputs"
  while [ $# -gt 0 ]; do
    case $1 in
      -o) [ $# -ge 2 ] || die "-o needs a file"; output=$2; shift ;;
      -L) [ $# -ge 2 ] || die "-L needs a directory"; echo "$2" >> "$work/dirs"; shift ;;
      -L*) echo "${1#-L}" >> "$work/dirs" ;;
      -*) ;;
      *.rel) echo "object $1" >> "$work/inputs" ;;
      *.lib) echo "library $1" >> "$work/inputs" ;;
      *.lcf) echo "lcf $1" >> "$work/inputs" ;;
      *) die "unknown input $1" ;;
    esac
    shift
  done
  [ -n "$output" ] || die "no module (-o) to write"
  grep -q '^object ' "$work/inputs" || die "no object to link"
  {
    echo "; $tool module $(basename "$output")"
    while read -r kind path; do
      [ "$kind" = library ] && path=$(find_library "$path")
      [ -f "$path" ] || die "cannot open the input file $path"
      echo "$kind $path"
    done < "$work/inputs"
  } > "$work/module" || exit 1
  mv "$work/module" "$output" || die "cannot write $output"
  log "$output"
}

librarian() {
  case ${1:-} in
    -t)
      [ -f "${2:-}" ] || die "cannot open the library ${2:-}"
      echo "library ${2}:"
      sed -n 's/^object /  /p' "$2"
      return
      ;;
    -f*) commands=${1#-f} ;;
    *) die "usage: $tool -fCOMMANDFILE | -t LIBRARY" ;;
  esac
  [ -f "$commands" ] || die "cannot open the command file $commands"
  tr -d '\r' < "$commands" > "$work/commands"
  [ "$(head -n 1 "$work/commands")" = "-r" ] || die "$commands: the first line is not -r"
  library=$(sed -n 2p "$work/commands" | sed 's/^"\(.*\)"$/\1/')
  [ -n "$library" ] || die "$commands: no library named"
  {
    echo "; $tool library $(basename "$library")"
    tail -n +3 "$work/commands" | sed 's/^"\(.*\)"$/\1/' > "$work/objects"
    while read -r object; do
      [ -f "$object" ] || die "cannot open the object $object"
      echo "object $object"
    done < "$work/objects"
  } > "$work/library" || exit 1
  mv "$work/library" "$library" || die "cannot write $library"
  log "$library"
}

convert() {
  module= output= extension=h16
  while [ $# -gt 0 ]; do
    case $1 in
      -o) [ $# -ge 2 ] || die "-o needs a file"; output=$2; shift ;;
      -Fs32) extension=s32 ;;
      -Fs24) extension=s24 ;;
      -Fs16) extension=s16 ;;
      -Fh20) extension=h20 ;;
      -*) ;;
      *) [ -z "$module" ] || die "one module expected"; module=$1 ;;
    esac
    shift
  done
  [ -n "$module" ] || die "no module to convert"
  [ -f "$module" ] || die "cannot open the module $module"
  [ -n "$output" ] || output="${module%.*}.$extension"
  { echo "; $tool converted"; echo "module $module"; } > "$output" || die "cannot write $output"
  log "$output"
}

case $tool in
  cc*) compile "$@" ;;
  as* | mac* | app* | mpp*) compile "$@" ;;
  lk*) link "$@" ;;
  lb*) librarian "$@" ;;
  cv*) convert "$@" ;;
  *) die "no such stub tool" ;;
esac
