# Sourced, not run, by tools/screenshot.sh and tools/screenshot-session.sh:
# what both do to photograph one window of a program under Wine. The program
# runs in a throw-away prefix at a DPI (tools/wine-run.sh, which sets the
# prefix's LogPixels) on a private virtual X display with no window manager,
# so Wine draws the caption and borders itself, as Windows would. Once its
# window is shown and painted, the program writes the window's caption into
# the ready file; it lets the window go when that file is removed again.
#
# The sourcing script sets shot_name (its name in messages) first.
# PURGELLO_SCREENSHOT_BUILD names another win64 build folder.

shot_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
shot_build=${PURGELLO_SCREENSHOT_BUILD:-$shot_root/build/win64}
# Seconds the program may take to let its window go before it is killed.
shot_linger=30

shot_check_dpi() {
  case $1 in '' | *[!0-9]*) echo "$shot_name: DPI must be a number, not \"$1\"" >&2; exit 2 ;; esac
}

shot_require_tools() {
  local tool
  for tool in xvfb-run xdotool import; do
    command -v "$tool" >/dev/null || { echo "$shot_name: $tool is missing (tools/setup.sh installs it)" >&2; exit 1; }
  done
}

# shot_build_targets TARGET...: builds them in the win64 build, configured first when it is not.
shot_build_targets() {
  if [ ! -f "$shot_build/build.ninja" ]; then (cd "$shot_root" && cmake --preset win64 >/dev/null); fi
  cmake --build "$shot_build" --target "$@" >/dev/null
}

# shot_on_private_display SCRIPT ARG...: runs the script again with those
# arguments on a private display, large enough for any window at 200% and in
# true colour, so that nothing else is on it and nothing covers the window.
# Returns at once when this is that run.
shot_on_private_display() {
  [ -n "${PURGELLO_SCREENSHOT_INNER:-}" ] && return 0
  exec env PURGELLO_SCREENSHOT_INNER=1 xvfb-run -a -s "-screen 0 2400x1800x24 -nolisten tcp" "$@"
}

# shot_prepare: a scratch folder, removed on exit; shot_ready is the ready
# file as the program names it (Wine shows "/" as drive Z:).
shot_prepare() {
  shot_scratch=$(mktemp -d /tmp/purgello-screenshot.XXXXXX)
  shot_runner=
  shot_ready="Z:$(printf '%s' "$shot_scratch/ready" | tr / '\\')"
  trap shot_finish EXIT
}

shot_finish() {
  # Removing the ready file tells the program to let its window go.
  rm -f "$shot_scratch/ready"
  [ -n "$shot_runner" ] && { timeout "$shot_linger" tail --pid="$shot_runner" -f /dev/null || kill "$shot_runner" 2>/dev/null; } || true
  rm -rf "$shot_scratch"
}

# shot_run DPI PROGRAM ARG...: starts the program under Wine in the background.
shot_run() {
  local dpi=$1
  shift
  PURGELLO_WINE_DPI=$dpi PURGELLO_WINE_FRAMES=1 "$shot_root/tools/wine-run.sh" "$@" >"$shot_scratch/output" 2>&1 &
  shot_runner=$!
}

# shot_wait_ready SECONDS MESSAGE: waits for the window; when it does not
# come, fails with the message and the program's output.
shot_wait_ready() {
  local tick
  for ((tick = 0; tick < $1 * 5; ++tick)); do
    [ -s "$shot_scratch/ready" ] && break
    kill -0 "$shot_runner" 2>/dev/null || break
    sleep 0.2
  done
  if [ ! -s "$shot_scratch/ready" ]; then
    echo "$shot_name: $2" >&2
    grep -v '^$' "$shot_scratch/output" >&2 || true
    exit 1
  fi
}

# shot_photograph OUT.png [WHAT]: a PNG of just the ready window with its
# frame; WHAT names it in the failure message.
shot_photograph() {
  # Wine names the X window after the window's caption.
  local caption xid= id
  caption=$(cat "$shot_scratch/ready")
  for id in $(xdotool search --onlyvisible --name '.*' 2>/dev/null); do
    if [ "$(xdotool getwindowname "$id")" = "$caption" ]; then xid=$id; break; fi
  done
  if [ -z "$xid" ]; then
    echo "$shot_name: no X window titled \"$caption\"${2:+ for \"$2\"}" >&2
    exit 1
  fi
  # The pointer off the window, so that no control is drawn hot.
  xdotool mousemove 0 0
  import -window "$xid" "$1"
  echo "$1"
}
