# Helpers for the Windows tests under Wine, sourced by the *_test.sh scripts beside this.
# Each test gets its own Wine prefix in a temporary folder and, where windows show, its own
# virtual X server. Wine draws the windows' frames itself, as Windows would (no window
# manager: "Managed" off), so the screenshots show the game's own title bar and borders.

# The helpers that do not depend on who draws the frames are the Linux window tests' own.
. "$(dirname "${BASH_SOURCE[0]}")/../window/xsession.sh"

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
