#!/usr/bin/env bash
# Checks every page of the help manual with HTML Tidy: any error fails, and so
# does any warning that is not on the accepted list below. Also checks that the
# pages stay self-contained (no http: or https: references).
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Warnings we accept on purpose, as extended regular expressions matched
# against tidy's message text. None at present.
accepted=()

shopt -s nullglob
pages=("$top"/Manual/*.html)
if [ ${#pages[@]} -eq 0 ]; then
  echo "check-manual: no pages in Manual/" >&2
  exit 1
fi

status=0
for page in "${pages[@]}"; do
  name="${page#"$top"/}"
  # tidy exits 0 when clean, 1 with warnings only, 2 with errors.
  set +e
  report="$(tidy -q -e --gnu-emacs yes "$page" 2>&1)"
  rc=$?
  set -e
  if [ $rc -ge 2 ]; then
    echo "check-manual: $name has errors:" >&2
    echo "$report" >&2
    status=1
    continue
  fi
  while IFS= read -r line; do
    [ -n "$line" ] || continue
    ok=0
    for pattern in "${accepted[@]+"${accepted[@]}"}"; do
      if [[ "$line" =~ $pattern ]]; then ok=1; break; fi
    done
    if [ $ok -eq 0 ]; then
      echo "check-manual: $line" >&2
      status=1
    fi
  done <<< "$report"
  if grep -nE '(src|href)="https?:' "$page" >&2; then
    echo "check-manual: $name refers to outside resources" >&2
    status=1
  fi
done

[ $status -eq 0 ] && echo "check-manual: ${#pages[@]} pages clean"
exit $status
