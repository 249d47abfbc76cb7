# Helpers for driving Knuffelhatz in a real window under a virtual X server.
# Sourced by the *_test.sh scripts beside it; they run inside `xvfb-run`, on a bare X server
# (keyboard focus follows the pointer) or, with KH_WM set (openbox, metacity), under that
# window manager.

# kh_enter SCRIPT BINARY REPOSITORY: runs the calling test script again inside its own virtual
# X server (KH_SCREEN, 1024x768 unless set; the first free display from KH_DISPLAY_FROM, 99
# unless set), then sets BIN and ROOT from its arguments.
kh_enter() {
  local script=$1
  shift
  if [ -z "${KH_IN_XVFB:-}" ]; then
    exec env KH_IN_XVFB=1 xvfb-run -a -n "${KH_DISPLAY_FROM:-99}" -s "-screen 0 ${KH_SCREEN:-1024x768}x24" bash "$script" "$@"
  fi
  BIN=$(realpath "${1:?path to the knuffelhatz binary}")
  ROOT=$(realpath "${2:?path to the repository}")
}

kh_fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# KH_CLOCK_RATE: a script that sets it runs the game's clock that many times faster than real
# time (the test-only option --test-clock-rate), so a 90-second round takes 90 / rate seconds.
# One test, game_flow, keeps the real clock.
KH_CLOCK_RATE=${KH_CLOCK_RATE:-1}

# kh_real S: S seconds of the game's clock in real seconds, with two decimals.
kh_real() {
  awk -v s="$1" -v r="$KH_CLOCK_RATE" 'BEGIN { printf "%.2f", s / r }'
}

kh_note() {
  echo "[$(date +%H:%M:%S)] $*"
}

# Seconds since the epoch with fractions.
kh_now() {
  date +%s.%N
}

# kh_since T0: seconds elapsed since T0 (from kh_now), with two decimals.
kh_since() {
  awk -v a="$1" -v b="$(kh_now)" 'BEGIN { printf "%.2f", b - a }'
}

# Makes the bare X server look like a desktop to the game: one client stays connected
# for the whole test (so the server does not reset between steps), and the Motif
# window-hints atom exists, as it does wherever a window manager runs. Without that atom
# SDL cannot say "no title bar" and marks its windows transient for the root instead.
kh_prepare_desktop() {
  xprop -root -spy WM_NAME >/dev/null 2>&1 &
  KH_KEEPER=$!
  sleep 0.2
  xprop -root -f _MOTIF_WM_HINTS 32c -set _MOTIF_WM_HINTS 0 &&
    xprop -root -remove _MOTIF_WM_HINTS || kh_fail "cannot talk to the X server"
  if [ -n "${KH_WM:-}" ]; then
    command -v "$KH_WM" >/dev/null || kh_fail "no window manager $KH_WM"
    HOME=$(mktemp -d /tmp/kh-home.XXXXXX) "$KH_WM" >/dev/null 2>&1 &
    KH_WM_PID=$!
    # Running once it has claimed the screen.
    local i
    for i in $(seq 50); do
      xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
      sleep 0.1
    done
    kh_note "window manager $KH_WM is running"
  fi
}

# kh_start BINARY FOLDER: starts the game in FOLDER, sets KH_PID and KH_LOG.
# kh_begin NAME: the game ($BIN) started in a fresh, empty working folder $WORK.
kh_begin() {
  [ -x "$BIN" ] || kh_fail "no program at $BIN"
  WORK=$(mktemp -d "/tmp/kh-$1.XXXXXX")
  kh_note "working folder $WORK"
  kh_start "$BIN" "$WORK"
}

kh_start() {
  local bin=$1 dir=$2
  [ -n "${KH_KEEPER:-}" ] || kh_prepare_desktop
  KH_LOG=$dir/game.log
  (cd "$dir" && exec env SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    "$bin" --data-dir "$dir" --test-clock-rate "$KH_CLOCK_RATE" >"$KH_LOG" 2>&1) &
  KH_PID=$!
  trap kh_stop EXIT
}

kh_stop() {
  if [ -n "${KH_PID:-}" ] && kill -0 "$KH_PID" 2>/dev/null; then
    kill "$KH_PID" 2>/dev/null
    # A program stuck somewhere does not answer the polite request: no test waits for ever.
    local i
    for i in $(seq 50); do kill -0 "$KH_PID" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$KH_PID" 2>/dev/null && { echo "the game did not end when asked; killed" >&2; kill -9 "$KH_PID"; }
    wait "$KH_PID" 2>/dev/null
  fi
  KH_PID=
  if [ -n "${KH_WM_PID:-}" ]; then
    kill "$KH_WM_PID" 2>/dev/null
    wait "$KH_WM_PID" 2>/dev/null
  fi
  KH_WM_PID=
  if [ -n "${KH_KEEPER:-}" ]; then
    kill "$KH_KEEPER" 2>/dev/null
    wait "$KH_KEEPER" 2>/dev/null
  fi
  KH_KEEPER=
}

kh_alive() {
  [ -n "${KH_PID:-}" ] && kill -0 "$KH_PID" 2>/dev/null || {
    echo "--- game output ---" >&2
    cat "$KH_LOG" >&2 2>/dev/null
    kh_fail "the game is no longer running"
  }
}

# The game's mapped top-level windows, one id (decimal) per line.
kh_visible_windows() {
  xdotool search --onlyvisible --class knuffelhatz 2>/dev/null
}

# kh_geometry ID: prints "X Y WIDTH HEIGHT BORDER MAPSTATE" of a window.
kh_geometry() {
  xwininfo -id "$1" 2>/dev/null | awk '
    /Absolute upper-left X:/ { x = $NF } /Absolute upper-left Y:/ { y = $NF }
    /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } /Border width:/ { b = $NF }
    /Map State:/ { m = $NF } END { print x, y, w, h, b, m }'
}

# kh_window_name ID: the window's title (WM_NAME), empty if none.
kh_window_name() {
  xprop -id "$1" WM_NAME 2>/dev/null | sed -n 's/^WM_NAME([A-Z_0-9]*) = "\(.*\)"$/\1/p'
}

# kh_frame_geometry ID: prints "X Y WIDTH HEIGHT" of the window with the window manager's
# frame around it (the window itself on a bare X server).
kh_frame_geometry() {
  local l=0 r=0 t=0 b=0 ext
  ext=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/^.* = //p' | tr -d ',')
  [ -n "$ext" ] && read -r l r t b <<<"$ext"
  set -- $(kh_geometry "$1")
  echo $(($1 - l)) $(($2 - t)) $(($3 + l + r)) $(($4 + t + b))
}

# The title window's size at scale 1: the 338x179 title picture inside a 3-pixel dialog frame.
KH_TITLE_W=344
KH_TITLE_H=185
# Where the title picture starts in the title window.
KH_TITLE_IN=3

# The mapped title window (344x185, no name) or nothing.
kh_title_window() {
  local w
  for w in $(kh_visible_windows); do
    set -- $(kh_geometry "$w")
    if [ "$3" = $KH_TITLE_W ] && [ "$4" = $KH_TITLE_H ] && [ "$6" = IsViewable ]; then
      echo "$w"
      return
    fi
  done
}

# The mapped play window (named "Knuffelhatz") or nothing.
kh_play_window() {
  local w
  for w in $(xdotool search --onlyvisible --name '^Knuffelhatz$' 2>/dev/null); do
    set -- $(kh_geometry "$w")
    if [ "$6" = IsViewable ]; then
      echo "$w"
      return
    fi
  done
}

# kh_wait_for FUNCTION SECONDS: polls FUNCTION every 0.1 s until it prints something;
# prints that and returns 0, or returns 1 after SECONDS.
kh_wait_for() {
  local fn=$1 limit=$2 t0 out
  t0=$(kh_now)
  while :; do
    out=$($fn)
    if [ -n "$out" ]; then
      echo "$out"
      return 0
    fi
    if awk -v s="$(kh_since "$t0")" -v l="$limit" 'BEGIN { exit !(s >= l) }'; then
      return 1
    fi
    sleep 0.1
  done
}

# kh_key_on WINDOW: types a space into WINDOW the way a person would: the pointer rests
# on the window (the X server's focus follows the pointer when no window manager runs),
# then the key goes down and up through the XTEST extension.
kh_key_on() {
  set -- "$1" $(kh_geometry "$1")
  xdotool mousemove $(($2 + $4 / 2)) $(($3 + $5 / 2))
  sleep 0.1
  xdotool key space
}

# kh_start_round TITLE: starts a round from the title window TITLE with a key, as a player
# would once the start prompt shows, and prints the play window. With a fast clock the prompt
# may come before the test can see it change, so the key is pressed again until the play window
# shows (a key before the prompt does nothing, as game_flow checks). Fails after 15 s.
kh_start_round() {
  local title=$1 play i
  sleep "$(kh_real 2.3)"
  for i in 1 2 3 4 5; do
    kh_key_on "$title"
    play=$(kh_wait_for kh_play_window 3) && { echo "$play"; return 0; }
  done
  return 1
}

# kh_crop_sum WINDOW X Y W H: a checksum of a rectangle of a window's picture.
kh_crop_sum() {
  import -window "$1" -crop "$4x$5+$2+$3" -depth 8 rgb:- 2>/dev/null | md5sum | cut -c1-32
}

# kh_read_score FILE: the best score stored in FILE (2 bytes, little-endian, signed),
# or "empty" for an empty file.
kh_read_score() {
  local size
  size=$(stat -c %s "$1")
  if [ "$size" = 0 ]; then
    echo empty
    return
  fi
  od -An -t d2 -N 2 --endian=little "$1" | tr -d ' '
}

# kh_is_score N: true if N is a sum of 20s and 45s.
kh_is_score() {
  local n=$1 b
  for ((b = 0; 45 * b <= n; b++)); do
    if (((n - 45 * b) % 20 == 0)); then return 0; fi
  done
  return 1
}
