#!/usr/bin/env bash
# Checks the order of the modules: a file in src/<module>/ includes headers
# of its own module and of the modules before it in this list only. Lists
# every include that breaks the order and exits 1.
set -euo pipefail
cd "$(dirname "$0")/.."
order=(platform checkdigit core editions batch lib server app)
failed=0
for index in "${!order[@]}"; do
  module=${order[$index]}
  [ -d "src/$module" ] || continue
  allowed=("${order[@]:0:$((index + 1))}")
  while IFS=: read -r file line text; do
    included=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$text")
    ok=0
    for module_allowed in "${allowed[@]}"; do
      [ "$included" = "$module_allowed" ] && ok=1
    done
    # Headers of the public library (talvenor/...) are the facade's own.
    [ "$included" = "talvenor" ] && ok=1
    if [ $ok -eq 0 ]; then
      echo "$file:$line: $module may not include $included ($text)"
      failed=1
    fi
  done < <(grep -rnE '^#include "[a-z_]+/' "src/$module" || true)
done
exit $failed
