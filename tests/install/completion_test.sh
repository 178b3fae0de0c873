#!/usr/bin/env bash
# Every command and option that portmesa-cli --help-all lists is known to its bash
# completion, so the completion cannot fall behind the program.
#   completion_test.sh PORTMESA_CLI COMPLETION_FILE
set -euo pipefail
cli=$1 completion=$2
help=$("$cli" --help-all)
missing=""
for option in $(grep -oE -- '(^|[ ,])--[a-z][a-z-]*' <<<"$help" | sed 's/^[ ,]*//' | sort -u); do
  grep -qE -- "(^|[ \"])${option}([ \")|]|$)" "$completion" || missing+=" $option"
done
for command in $(sed -n 's/^Command \([a-z][a-z-]*\).*:$/\1/p' <<<"$help"); do
  grep -q -- "$command" "$completion" || missing+=" $command"
done
[ -z "$missing" ] || { echo "FAIL: the completion lacks:$missing" >&2; exit 1; }
[ -n "$command" ] || { echo "FAIL: no command found in --help-all" >&2; exit 1; }
echo "completion knows every option and command"
