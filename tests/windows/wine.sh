# Helpers for the Windows tests under Wine, sourced by the *_test.sh scripts beside this.
# Each test gets its own Wine prefix in a temporary folder and, where windows show, its own
# virtual X server. Wine draws the windows' frames itself, as Windows would (no window
# manager: "Managed" off), so the screenshots show the game's own title bar and borders.

kh_fail() {
  echo "FAIL: $*" >&2
  exit 1
}

kh_note() {
  echo "[$(date +%H:%M:%S)] $*"
}

kh_now() {
  date +%s.%N
}

kh_since() {
  awk -v a="$1" -v b="$(kh_now)" 'BEGIN { printf "%.2f", b - a }'
}

# kh_in_xvfb SCRIPT ARGS...: runs the calling script again inside its own virtual X server.
kh_in_xvfb() {
  local script=$1
  shift
  if [ -z "${KH_IN_XVFB:-}" ]; then
    exec env KH_IN_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24" bash "$script" "$@"
  fi
}

# kh_wine_prefix: a fresh 64-bit prefix in $WORK/prefix, without the Mono and Gecko prompts.
kh_wine_prefix() {
  export WINEPREFIX=$WORK/prefix WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
  local t0
  t0=$(kh_now)
  timeout 120 wineboot -i >/dev/null 2>&1 || kh_fail "wineboot failed"
  timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 ||
    kh_fail "cannot set up the prefix"
  timeout 60 wineserver -w
  kh_note "Wine prefix ready in $(kh_since "$t0") s"
  trap 'WINEPREFIX=$WORK/prefix wineserver -k >/dev/null 2>&1' EXIT
}

# kh_null_sound: ALSA's null device as the sound card, so waveOut opens and plays into it.
kh_null_sound() {
  mkdir -p "$WORK/home"
  printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$WORK/home/.asoundrc"
  export HOME=$WORK/home
}

# kh_wait_for COMMAND SECONDS: runs COMMAND every 0.1 s until it prints something; prints that.
kh_wait_for() {
  local out i
  for ((i = 0; i < $2 * 10; i++)); do
    out=$($1)
    if [ -n "$out" ]; then
      echo "$out"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# The game's visible windows: the title window has no name, the play window is "Knuffelhatz".
kh_windows() {
  xdotool search --onlyvisible --class knuffelhatz 2>/dev/null
}
kh_title_window() {
  local w
  for w in $(kh_windows); do
    [ -z "$(xdotool getwindowname "$w" 2>/dev/null)" ] && [ "$(kh_size "$w")" != 1x1 ] && echo "$w" && return
  done
}
kh_play_window() {
  local w
  for w in $(kh_windows); do
    [ "$(xdotool getwindowname "$w" 2>/dev/null)" = Knuffelhatz ] && echo "$w" && return
  done
}

# kh_geometry W: "X Y WIDTH HEIGHT" of the X window (with Wine's frame, the whole window).
kh_geometry() {
  xdotool getwindowgeometry --shell "$1" | awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END {print x, y, w, h}'
}
kh_size() {
  local x y w h
  read -r x y w h <<<"$(kh_geometry "$1")"
  echo "${w}x$h"
}

# kh_crop_sum W X Y WIDTH HEIGHT: a checksum of part of a window's pixels.
kh_crop_sum() {
  import -window "$1" -crop "$4x$5+$2+$3" rgb:- 2>/dev/null | md5sum | cut -c1-12
}

kh_read_score() {
  if [ "$(stat -c %s "$1")" = 0 ]; then
    echo empty
    return
  fi
  od -An -t d2 -N 2 --endian=little "$1" | tr -d ' '
}

kh_is_score() {
  local n=$1 b
  for ((b = 0; 45 * b <= n; b++)); do
    if (((n - 45 * b) % 20 == 0)); then return 0; fi
  done
  return 1
}
