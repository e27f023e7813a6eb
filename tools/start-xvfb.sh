# Sourced by test.sh, run.sh and tools/wine-run.sh. Without a DISPLAY, starts a private Xvfb,
# exports its DISPLAY, sets xvfb_started=1 and stops the server when the
# calling shell exits (this sets the shell's EXIT trap). A caller with its own
# EXIT trap calls xvfb_stop from it (a no-op when no server was started).
xvfb_started=
xvfb_stop() { :; }
if [ -z "${DISPLAY:-}" ]; then
  xvfb_displayfile=$(mktemp)
  Xvfb -displayfd 3 -nolisten tcp 3>"$xvfb_displayfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  xvfb_stop() { kill "$xvfb_pid" 2>/dev/null; rm -f "$xvfb_displayfile"; }
  trap xvfb_stop EXIT
  for _ in $(seq 50); do [ -s "$xvfb_displayfile" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$xvfb_displayfile")"
  xvfb_started=1
fi
