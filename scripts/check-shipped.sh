#!/usr/bin/env bash
# Checks that a player's program holds none of the test host: no symbol the host library
# (libqvhost.a) defines for itself, nothing of its namespace, and no transitional link into it.
# Usage: scripts/check-shipped.sh [path to quorvane [path to libqvhost.a]]
# (default: build-test/game/quorvane and build-test/platform/libqvhost.a).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
program="${1:-$root/build-test/game/quorvane}"
host="${2:-$root/build-test/platform/libqvhost.a}"
[ -x "$program" ] || { echo "check-shipped: $program is not built" >&2; exit 2; }
[ -f "$host" ] || { echo "check-shipped: $host is not built" >&2; exit 2; }
# The host's own code and data: its strong global symbols, which no other library may define.
# (Weak ones, inline functions and templates shared with the platform, say nothing.)
strong='$2 ~ /^[TDBR]$/ { print $3 }'
host_names=$(nm --defined-only --extern-only "$host" 2>/dev/null | awk "$strong" | sort -u)
[ -n "$host_names" ] || { echo "check-shipped: $host defines no symbols" >&2; exit 2; }
shared=$(comm -12 <(echo "$host_names") \
  <(nm --defined-only --extern-only "$program" | awk "$strong" | sort -u) | c++filt)
# Its namespace, also where the compiler kept a name local.
local_names=$(nm --demangle --defined-only "$program" | grep -F 'qvhost::' || true)
found=$(printf '%s\n%s' "$shared" "$local_names" | sed '/^$/d')
if [ -n "$found" ]; then
  echo "check-shipped: $program holds test-host code:" >&2
  echo "$found" | head -20 >&2
  exit 1
fi
echo "check-shipped: $(basename "$program") holds none of the $(echo "$host_names" | wc -l) symbols of the test host"
