#!/usr/bin/env bash
# Fails when a library includes a header of a library above it. Each line of
# the table names a folder and the folders it must not include from.
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
# The code the player runs includes nothing of what only an editor calls
# (editor/ folders) or what the player never calls (extra/ folders, and the
# exporter in player/export/, which only tools/export_cart links).
if grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[a-z]+/(editor|extra)/' engine script sound console player |
    grep -vE '^([a-z]+/(editor|extra)|player/export)/'; then
  echo "only editor/ and extra/ code may include editor/ and extra/ headers"
  status=1
fi
exit $status
