#!/usr/bin/env bash
# Fails when a file includes across the layers the wrong way: Qt outside
# src/gui, a lower layer including a higher one (arrows point down only), or
# one work window (diagnostics, configuration, tally) including another.
set -u
root="$1"
status=0

report() { echo "$1"; status=1; }

while IFS= read -r hit; do
  report "Qt header outside src/gui: $hit"
done < <(grep -rnE '#\s*include\s*[<"]Q[A-Za-z]+(/[A-Za-z]+)?[>"]' "$root/src" "$root/tests" "$root/tools" \
           --include='*.h' --include='*.cpp' | grep -v -E "^$root/(src|tests)/gui/" | grep -v -E "^$root/src/main\.cpp:")

check_layer() {  # folder, forbidden include prefixes...
  local dir="$1"; shift
  [ -d "$root/src/$dir" ] || return 0
  for bad in "$@"; do
    while IFS= read -r hit; do
      report "src/$dir must not include $bad: $hit"
    done < <(grep -rnE "#\s*include\s*\"$bad/" "$root/src/$dir" --include='*.h' --include='*.cpp')
  done
}
check_layer platform link shell gui diagnostics configuration tally
check_layer link shell gui diagnostics configuration tally
check_layer gui link shell diagnostics configuration tally
# The work windows plug into the shell through its hook; none knows another.
check_layer shell gui diagnostics configuration tally
check_layer diagnostics gui configuration tally
check_layer configuration gui diagnostics tally
check_layer tally gui diagnostics configuration

if [ $status -eq 0 ]; then echo "layers are clean"; fi
exit $status
