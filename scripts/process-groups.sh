# Sourced by the session harnesses: each piece they start leads a process group of its own
# (listed in `groups`), so ending a group ends everything that piece started.
groups=()

# Ends the groups, newest first: politely, then, after two seconds, for good.
end_process_groups() {
  for ((i = ${#groups[@]} - 1; i >= 0; i--)); do kill -TERM -- "-${groups[i]}" 2>/dev/null || true; done
  for pgid in "${groups[@]}"; do
    for _ in $(seq 40); do kill -0 -- "-$pgid" 2>/dev/null || break; sleep 0.05; done
    kill -KILL -- "-$pgid" 2>/dev/null || true
  done
  wait 2>/dev/null || true
}
