#!/usr/bin/env bash
# scripts/with-test-env.sh waits for a server that is slow to answer on a loaded machine, and
# gives up at once, showing the server's log, when the server's process dies.
#   tests/scripts/with-test-env-test.sh SOURCE_DIR
set -euo pipefail

script="$1/scripts/with-test-env.sh"
fake=$(mktemp -d /tmp/quillo-env-test.XXXXXX)
trap 'rm -rf "$fake"' EXIT
real_xdpyinfo=$(command -v xdpyinfo)

fail() {
  echo "FAIL: $1" >&2
  cat "$fake/out" >&2
  exit 1
}

# Stands in for xdpyinfo: the first $UNANSWERED probes find no X server yet. Counting probes
# instead of seconds keeps the test independent of the machine's load.
cat >"$fake/xdpyinfo" <<EOF
#!/bin/sh
n=\$(( \$(cat "$fake/probes" 2>/dev/null || echo 0) + 1 ))
echo "\$n" >"$fake/probes"
[ "\$n" -gt "\$UNANSWERED" ] && exec "$real_xdpyinfo" "\$@"
exit 1
EOF
chmod +x "$fake/xdpyinfo"

# A server that answers only after 120 probes (12 s at least; the old limit was 100 probes).
# The allowed start time is raised so that a loaded machine cannot make this test flaky.
UNANSWERED=120 QUILLO_TEST_ENV_START_SECONDS=150 PATH="$fake:$PATH" bash "$script" sh -c 'xdpyinfo >/dev/null && echo ANSWERED' \
  >"$fake/out" 2>&1 || fail "a slow X server was given up"
grep -q '^ANSWERED$' "$fake/out" || fail "the command did not run against the slow X server"

# A server that fails at once: the wait ends with it, and its log is shown.
cat >"$fake/Xvfb" <<'EOF'
#!/bin/sh
echo "fake Xvfb: cannot establish any listening sockets"
exit 1
EOF
chmod +x "$fake/Xvfb"
rm -f "$fake/probes"
if UNANSWERED=0 PATH="$fake:$PATH" bash "$script" true >"$fake/out" 2>&1; then
  fail "a dead X server was reported as started"
fi
probes=$(cat "$fake/probes")
((probes <= 5)) || fail "went on probing a server that had exited ($probes probes)"
grep -q '^Xvfb did not start$' "$fake/out" || fail "no 'Xvfb did not start'"
grep -q 'fake Xvfb: cannot establish any listening sockets' "$fake/out" || fail "no server log"
echo "PASS"
