#!/usr/bin/env bash
# Checks manual pages: each renders without a single markup warning (groff
# -ww and man --warnings) and has the sections an operator looks for.
#
#   bash scripts/check-man-pages.sh PAGE.1...
set -euo pipefail
sections=("NAME" "SYNOPSIS" "DESCRIPTION" "EXIT STATUS" "FILES" "ENVIRONMENT" "EXAMPLES"
          "SEE ALSO")
status=0
for page in "$@"; do
  warnings=$( { groff -man -ww -z "$page"; LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" >/dev/null; } 2>&1) || true
  if [ -n "$warnings" ]; then
    echo "$page: markup warnings:"; echo "$warnings"; status=1
  fi
  for section in "${sections[@]}"; do
    grep -qE "^\.SH \"?$section\"?$" "$page" || { echo "$page: no section $section"; status=1; }
  done
  grep -qE '^\.SH "?(OPTIONS|ARGUMENTS)"?$' "$page" || { echo "$page: no OPTIONS or ARGUMENTS"; status=1; }
done
exit $status
