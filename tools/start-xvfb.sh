# Sourced by test.sh and run.sh. Without a DISPLAY, starts a private Xvfb,
# exports its DISPLAY, sets xvfb_started=1 and stops the server when the
# calling shell exits (this sets the shell's EXIT trap).
xvfb_started=
if [ -z "${DISPLAY:-}" ]; then
  xvfb_displayfile=$(mktemp)
  Xvfb -displayfd 3 -nolisten tcp 3>"$xvfb_displayfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null; rm -f "$xvfb_displayfile"' EXIT
  for _ in $(seq 50); do [ -s "$xvfb_displayfile" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$xvfb_displayfile")"
  xvfb_started=1
fi
