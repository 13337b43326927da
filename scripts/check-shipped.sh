#!/usr/bin/env bash
# Checks that a player's program holds none of the test host: no symbol of qvhost (its namespace,
# its call log, frame capture and image writers, message-box answers) and no transitional link
# into it. Usage: scripts/check-shipped.sh [path to quorvane] (default: build-test/game/quorvane).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
program="${1:-$root/build-test/game/quorvane}"
[ -x "$program" ] || { echo "check-shipped: $program is not built" >&2; exit 2; }
# Names only the test host defines.
host_names='qvhost::|plat::host::|CallLine|FormatCall|RecordFrame|EncodePng|EncodeBmp|SaveFrame|MessageBoxRecord|AnswerMessageBox|TakeArmedFault|ManualClock|ManualSleep'
found=$(nm --demangle --defined-only "$program" | grep -E "$host_names" || true)
if [ -n "$found" ]; then
  echo "check-shipped: $program holds test-host code:" >&2
  echo "$found" | head -20 >&2
  exit 1
fi
echo "check-shipped: $(basename "$program") holds no test-host symbols"
