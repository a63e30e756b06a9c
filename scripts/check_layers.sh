#!/usr/bin/env bash
# Fails when a library includes a header of a library above it. Each line of
# the table names a folder and the folders it must not include from.
#
# With a build folder as argument (scripts/check_layers.sh build/debug), also
# fails when a built library's archive calls upward: when a symbol that one
# archive leaves undefined is defined by an archive it may not link.
set -euo pipefail
cd "$(dirname "$0")/.."
rules=(
  "engine script sound console player"
  "script engine sound console player"
  "sound script console player"
  "console player"
)
status=0
for rule in "${rules[@]}"; do
  read -r layer above <<< "$rule"
  for up in $above; do
    if grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]+\"$up/" "$layer"; then
      echo "$layer/ must not include headers of $up/"
      status=1
    fi
  done
done
# The code the player runs includes nothing of what only an editor calls or
# what the player never calls: the files of CMakeLists.txt's offer lists, the
# player's editor folder and the exporter in player/export/, which only
# tools/export_cart links. Those files may include each other.
offer=$(awk '/^set\(TOVO_[A-Z_]+_SOURCES$/ { inlist = 1; next } inlist && /^\)/ { inlist = 0 } inlist { print $1 }' CMakeLists.txt |
  sed 's/\.cpp$//')
offer+=$'\n'$(find player/editor player/export -name '*.cpp' -o -name '*.h' | sed 's/\.\(cpp\|h\)$//' | sort -u)
runs=$(mktemp)
find engine script sound console player -name '*.cpp' -o -name '*.h' | sed 's/\.\(cpp\|h\)$//' | sort -u |
  grep -vxF -f <(printf '%s\n' "$offer") | sed 's/$/.cpp/;p;s/\.cpp$/.h/' | while read -r f; do
    if [ -f "$f" ]; then echo "$f"; fi
  done >"$runs"
if xargs grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"' <"$runs" |
    grep -F -f <(sed 's/.*/"&.h"/' <<<"$offer"); then
  echo "only the editor and offer libraries' code may include their headers"
  status=1
fi
rm -f "$runs"

[ $# -eq 0 ] && exit $status
build=$1
# Each library and every library it may use (as CMakeLists.txt links them).
links=(
  "tovo_engine:"
  "tovo_script:"
  "tovo_sound: tovo_engine"
  "tovo_console: tovo_script tovo_sound tovo_engine"
  "tovo_player: tovo_console tovo_script tovo_sound tovo_engine"
  "tovo_engine_extra: tovo_engine"
  "tovo_engine_editor: tovo_engine_extra tovo_engine"
  "tovo_sound_extra: tovo_sound tovo_engine_extra tovo_engine"
  "tovo_console_extra: tovo_console tovo_script tovo_sound tovo_engine"
  "tovo_player_extra: tovo_player tovo_engine_extra tovo_console_extra tovo_console tovo_script tovo_sound tovo_engine"
  "tovo_player_editor: tovo_player_extra tovo_player tovo_engine_extra tovo_console_extra tovo_console tovo_script"\
" tovo_sound tovo_engine"
  "tovo_export: tovo_player_extra tovo_player tovo_engine_extra tovo_console_extra tovo_console tovo_script"\
" tovo_sound tovo_engine"
)
symbols=$(mktemp -d)
trap 'rm -rf "$symbols"' EXIT
# What an archive defines for others (weak definitions are every user's own
# copy), and what it leaves undefined: one listing each, all at once.
list_symbols() {
  nm -p -P "$2" 2>/dev/null | awk -v name="$1" '
    NF >= 2 && $2 ~ /^[TDBRGS]$/ { print "D", name, $1 }
    NF >= 2 && $2 == "U" { print "U", name, $1 }' > "$symbols/$1"
}
declare -A listed
for entry in "${links[@]}"; do
  name=${entry%%:*}
  listed[$name]=1
  archive=$build/lib$name.a
  if [ ! -f "$archive" ]; then
    echo "$archive is missing: build the libraries first"
    exit 1
  fi
  list_symbols "$name" "$archive" &
done
wait
for archive in "$build"/libtovo_*.a; do
  name=$(basename "$archive" .a)
  name=${name#lib}
  if [ -z "${listed[$name]+set}" ]; then
    echo "$archive: no line for $name in the table of scripts/check_layers.sh"
    status=1
  fi
done
# Every undefined symbol against the archives that define it.
upward=$(printf '%s\n' "${links[@]}" | cat - "$symbols"/tovo_* | awk '
  /^tovo_[a-z_]+:/ { name = $1; sub(/:$/, "", name); may[name] = " "; for (i = 2; i <= NF; i++) may[name] = may[name] $i " "; next }
  $1 == "D" { definers[$3] = definers[$3] " " $2; next }
  $1 == "U" { wanted[$2 " " $3] = 1 }
  END {
    for (key in wanted) {
      split(key, k, " ")
      n = split(definers[k[2]], d, " ")
      for (i = 1; i <= n; i++)
        if (d[i] != k[1] && index(may[k[1]], " " d[i] " ") == 0) print "lib" k[1] ".a -> lib" d[i] ".a: " k[2]
    }
  }' | sort)
if [ -n "$upward" ]; then
  echo "libraries that call what a library they may not link defines:"
  echo "$upward" | c++filt | sed 's/^/  /'
  status=1
fi
exit $status
