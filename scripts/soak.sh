#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Drives the window with random input for SECONDS on a virtual display of its own,
# under a window manager: texts typed into the four boxes (counts up to 3000, bad
# texts, huge numbers), both answers to the large-count question, presets, drags
# and flings, resizes from 1x1 to 2500x2000, minimise and restore, the About
# box from the window menu and from the credit button, pause and resume (key and
# menu), single frames while paused, pictures and snapshots saved through the file
# dialogs into a folder of its own (new names, earlier ones replaced, the suffix
# left to the dialog), those snapshots opened again, and bad snapshot files
# (empty, cut short, noise, a newer version, a wrong count or a mistyped field)
# whose message boxes it closes. It samples the resident memory every second and
# at the end closes the window with Escape.
#
# It fails when the program dies, writes anything unexpected on stderr, does not
# exit with 0 within 2 s of the Escape, or when its resident memory grows by more
# than 10 % over the second half of the run. The memory is read with the window
# resized to 2500x2000 and running (resumed if paused) at the start of that half
# and again at its end; no resize in between makes it larger (and it is not
# maximised then). It also fails when a saved picture is not a PNG file, a saved
# snapshot is missing or driftmote-sim --load refuses it, the window refuses a
# snapshot it saved or takes a bad one without a message, a snapshot saved while
# paused right after opening one differs from it, or the window started with a
# saved snapshot on its command line shows a message or does not close cleanly.
#
#   scripts/soak.sh SECONDS [SEED]
#
# The random choices come from bash's $RANDOM seeded with SEED (printed at the
# start), so a failing run can be replayed. Needs Xvfb, openbox, xdotool, xprop, dbus, at-spi2-core and python3-pyatspi
# (and imagemagick for SOAK_SHOTS); builds nothing: run `make` first.
# DRIFTMOTE=path runs another build of the window; SOAK_SHOTS=dir saves a picture
# of the screen after every action, to check where the clicks land; SOAK_TRACE=1
# prints every action and its time; SOAK_KEEP=dir keeps the run's records there
# (the memory samples, the actions with their times, the files saved).
set -uo pipefail
cd "$(dirname "$0")/.."

if [[ $# -lt 1 || $# -gt 2 || ! $1 =~ ^[0-9]+$ || ( $# -eq 2 && ! $2 =~ ^[0-9]+$ ) ]]; then
  echo "usage: scripts/soak.sh SECONDS [SEED]" >&2
  exit 2
fi
duration=$1
seed=${2:-$(( $(od -An -N4 -tu4 /dev/urandom) % 1000000 ))}
app_path=${DRIFTMOTE:-./build/driftmote}
shots=${SOAK_SHOTS:-}
if [[ ! -x $app_path ]]; then
  echo "soak: $app_path not found; build it first (make build)" >&2
  exit 2
fi
launcher=/usr/libexec/at-spi-bus-launcher
for tool in Xvfb openbox xdotool xprop dbus-run-session $launcher /usr/bin/python3; do
  command -v "$tool" >/dev/null || { echo "soak: $tool is missing (make soak installs it)" >&2; exit 2; }
done
# The controls' places come from the window's accessible tree, over a session bus
# and an accessibility bus of the run's own, which end with it.
if [[ -z ${SOAK_BUS:-} ]]; then
  SOAK_BUS=1 exec dbus-run-session -- "$0" "$@"
fi
echo "soak: $duration s, seed $seed (replay: scripts/soak.sh $duration $seed)"
RANDOM=$seed

work=$(mktemp -d)
app=''
xvfb=''
a11y=''
wm=''
sampler=''
cleanup() {
  for p in $sampler $app $a11y $wm $xvfb; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  [[ -n ${SOAK_KEEP:-} ]] && rm -rf "$SOAK_KEEP" && cp -r "$work" "$SOAK_KEEP"
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "soak: FAILED (seed $seed): $*" >&2
  if [[ -s $work/actions ]]; then
    echo "--- the last actions (name, seconds taken):" >&2
    tail -n 8 "$work/actions" | awk '{ printf "%s %.2f\n", $1, $2 - $3 }' >&2
  fi
  if [[ -s $work/stderr ]]; then
    echo "--- the window's stderr:" >&2
    head -n 40 "$work/stderr" >&2
  fi
  exit 1
}

# ---- the display, the window manager and the window -------------------------

# xdotool with a time limit: a --sync that waits for a change the window manager
# never makes must not hang the run.
xdo() { timeout 5 xdotool "$@" 2>>"$work/xdotool.log"; }

exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 2600x2100x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
read -r -t 20 -u "$fd" number || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=:$number
openbox >"$work/openbox.log" 2>&1 &
wm=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done

mkdir -m 700 "$work/runtime"
# A fixed threshold for glibc's mmap: buffers of a window size then always go back
# to the system when freed, instead of staying in the heap by chance, so that the
# memory figures follow what the program holds.
export MALLOC_MMAP_THRESHOLD_=131072
"$launcher" --launch-immediately >"$work/a11y.log" 2>&1 &
a11y=$!
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work/runtime "$app_path" 2>"$work/stderr" &
app=$!
win=$(timeout 20 xdotool search --sync --all --onlyvisible --pid "$app" --name '^Driftmote$' 2>/dev/null | head -n 1)
[[ -n $win ]] || fail "the window did not appear"
sleep 0.5

# The controls' places in the window's client area at the start, read from the
# running program (left, top, width, height); the column on the right keeps its
# distance from the right edge, the canvas stretches.
declare -A control=()
while read -r key l t w h; do
  control[$key]="$l $t $w $h"
done < <(/usr/bin/python3 scripts/control-places.py 2>>"$work/a11y.log") || true
(( ${#control[@]} == 9 )) || fail "the controls' places could not be read: $(tail -n 3 "$work/a11y.log")"
eval "$(xdo getwindowgeometry --shell "$win")"
base_w=$WIDTH
base_h=$HEIGHT
echo "soak: window $win, client ${base_w}x${base_h}"
echo "soak: controls (left top width height): $(for k in "${!control[@]}"; do printf '%s=%s ' "$k" "${control[$k]// /,}"; done)"

size() { eval "$(xdo getwindowgeometry --shell "$win")"; cur_w=$WIDTH; cur_h=$HEIGHT; }

# The centre of a control in the window's present size.
centre() {
  local l t w h
  read -r l t w h <<<"${control[$1]}"
  size
  cx=$(( cur_w - base_w + l + w / 2 ))
  cy=$(( t + h / 2 ))
}

# A random point on the canvas.
canvas_point() {
  size
  local left top right bottom l t w h
  read -r l t w h <<<"${control[canvas]}"
  left=$(( l + 2 )); top=$(( t + 2 ))
  right=$(( cur_w - base_w + l + w - 2 )); bottom=$(( cur_h - base_h + t + h - 2 ))
  (( right > left + 1 )) || right=$(( left + 2 ))
  (( bottom > top + 1 )) || bottom=$(( top + 2 ))
  cx=$(( left + RANDOM % (right - left) ))
  cy=$(( top + RANDOM % (bottom - top) ))
}

alive() {
  kill -0 "$app" 2>/dev/null && return 0
  wait "$app"
  fail "the window died (status $?)"
}

shot_no=0
shot() {
  [[ -n $shots ]] || return 0
  mkdir -p "$shots"
  shot_no=$((shot_no + 1))
  import -window root "$shots/$(printf %05d "$shot_no")-$1.png" 2>/dev/null
}

# ---- boxes the window opens ------------------------------------------------

# Whether the count being typed may be accepted (at most 3000 particles).
count_ok=1

# The windows of the program on screen other than the main one: boxes by their
# titles, the window menu as "driftmote".
others() { xdo search --all --onlyvisible --pid "$app" --name '' | grep -vx "$win"; }

# Gives window $1 the keyboard; false when it does not get it (it closed, say).
focus_on() {
  xdo windowactivate --sync "$1" >/dev/null
  [[ $(xdo getactivewindow) == "$1" ]]
}

# Waits for window $1 to leave the screen.
gone() {
  local i
  for ((i = 0; i < 40; i++)); do
    others | grep -qx "$1" || return 0
    sleep 0.05
  done
  return 1
}

# Answers every box that is open: the large-count question at random (always No
# to more than 3000), the About box by one of its ways out, the window menu with
# Escape. A key goes out only once its box has the keyboard, and the next look
# waits for the box to go: an Escape that reached the main window would close it.
# Returns 0 when it found a box.
answer_boxes() {
  local found=1 id name round
  for ((round = 0; round < 5; round++)); do
    local any=0
    for id in $(others); do
      name=$(xdo getwindowname "$id") || continue
      any=1; found=0
      case $name in
        driftmote)
          # The window menu holds the keyboard while it is open.
          xdo key --clearmodifiers Escape ;;
        'Watch out')
          focus_on "$id" || continue
          if (( count_ok && RANDOM % 2 )); then
            case $((RANDOM % 2)) in 0) xdo key --clearmodifiers y ;; 1) xdo key --clearmodifiers Return ;; esac
            echo yes >>"$work/answers"
          else
            case $((RANDOM % 2)) in 0) xdo key --clearmodifiers n ;; 1) xdo key --clearmodifiers Escape ;; esac
            echo no >>"$work/answers"
          fi ;;
        'About Driftmote')
          focus_on "$id" || continue
          case $((RANDOM % 3)) in
            0) xdo key --clearmodifiers Return ;;
            1) xdo key --clearmodifiers Escape ;;
            2) xdo key --clearmodifiers space ;;
          esac
          echo about >>"$work/closed" ;;
        *)
          # A box this run does not expect (a failed count, say): note it and close it.
          focus_on "$id" || continue
          echo "$name" >>"$work/other-boxes"
          xdo key --clearmodifiers Escape ;;
      esac
      gone "$id" || echo "$name" >>"$work/stuck"
    done
    (( any )) || break
  done
  return $found
}

# Brings the main window to the front with keyboard focus.
front() {
  answer_boxes
  xdo windowactivate --sync "$win" 2>/dev/null || xdo windowmap --sync "$win" 2>/dev/null
  sleep 0.05
}

# A size on which every control can be reached.
usable() {
  size
  if (( cur_w < base_w || cur_h < base_h )); then
    resize_to $(( base_w + RANDOM % 400 )) $(( base_h + RANDOM % 300 ))
    sleep 0.2
  fi
}

click() { xdo mousemove --window "$win" "$1" "$2" click "${3:-1}"; }

# ---- random texts ----------------------------------------------------------

# Characters of random texts. y, n and space are left out: should a key land in a
# box, they would answer it behind the answering code's back.
chars='0123456789.-+eE.,abcdfghijklmopqrstuvwxzABC#%/()_=~'
rand_text() {
  local len=$((1 + RANDOM % 12)) s='' i
  for ((i = 0; i < len; i++)); do s+=${chars:RANDOM % ${#chars}:1}; done
  printf %s "$s"
}
huge_number() {
  local len=$((5 + RANDOM % 20)) s=$((1 + RANDOM % 9)) i
  for ((i = 1; i < len; i++)); do s+=$((RANDOM % 10)); done
  printf %s "$s"
}
count_text() {
  case $((RANDOM % 6)) in
    0) echo $((RANDOM % 3001)) ;;
    1) echo $((351 + RANDOM % 2650)) ;;
    2) echo $((RANDOM % 400)) ;;
    3) huge_number ;;
    4) echo "-$((RANDOM % 100))" ;;
    5) rand_text ;;
  esac
}
coefficient_text() {
  case $((RANDOM % 6)) in
    0) printf '%d.%03d' $((RANDOM % 3)) $((RANDOM % 1000)) ;;
    1) printf -- '-%d.%d' $((RANDOM % 10)) $((RANDOM % 100)) ;;
    2) huge_number ;;
    3) printf '1e%d' $((RANDOM % 80 - 40)) ;;
    4) rand_text ;;
    5) printf '.%d' $((RANDOM % 100000)) ;;
  esac
}

# The numeric value of a count text as the box reads its leading digits, capped
# at 3001 (only "more than 3000" matters here).
count_value() {
  local digits
  digits=$(sed -E 's/^[[:space:]]*\+?([0-9]*).*/\1/' <<<"$1" | sed -E 's/^0+//')
  [[ -z $digits ]] && { echo 0; return; }
  (( ${#digits} > 4 )) && { echo 3001; return; }
  echo $(( 10#$digits > 3000 ? 3001 : 10#$digits ))
}

# ---- actions ---------------------------------------------------------------

type_into() {
  local box=$1 text=$2 i
  front; usable
  centre "$box"
  click "$cx" "$cy"
  xdo key --clearmodifiers ctrl+a
  if [[ $box == num ]]; then
    count_ok=$(( $(count_value "$text") <= 3000 ))
  else
    count_ok=1
  fi
  if [[ $box == num ]]; then
    # One key at a time, answering the question a keystroke may raise before the next one.
    for ((i = 0; i < ${#text}; i++)); do
      xdo type --delay 0 -- "${text:i:1}"
      sleep 0.03
      answer_boxes
    done
  else
    xdo type --delay 5 -- "$text"
  fi
  sleep 0.1
  answer_boxes
  count_ok=1
}

act_count() { type_into num "$(count_text)"; }
act_coefficient() {
  local boxes=(attraction repulsion friction)
  type_into "${boxes[RANDOM % 3]}" "$(coefficient_text)"
}
act_preset() {
  front; usable
  local which=prev
  (( RANDOM % 2 )) && which=next
  centre "$which"
  local n=$((1 + RANDOM % 3)) i
  for ((i = 0; i < n; i++)); do click "$cx" "$cy"; sleep 0.05; answer_boxes; done
}
act_play_nice() { front; usable; centre playnice; click "$cx" "$cy"; }
act_drag() {
  front
  canvas_point
  xdo mousemove --window "$win" "$cx" "$cy"
  sleep 0.05
  xdo mousedown 1
  local steps=$((2 + RANDOM % 15)) i
  for ((i = 0; i < steps; i++)); do
    canvas_point
    xdo mousemove --window "$win" "$cx" "$cy"
    # A drag rests between moves; a fling does not.
    (( RANDOM % 2 )) && sleep 0.0$((RANDOM % 10))
  done
  xdo mouseup 1
}
# Resizes the window and moves it to a random place where it stays on screen.
resize_to() {
  xdo windowsize "$win" "$1" "$2"
  xdo windowmove "$win" $(( RANDOM % (2560 - $1) )) $(( RANDOM % (2060 - $2) ))
}
act_resize() {
  local w h
  case $((RANDOM % 4)) in
    0) w=$((1 + RANDOM % 40)); h=$((1 + RANDOM % 40)) ;;
    1) w=$((1 + RANDOM % 2500)); h=$((1 + RANDOM % 2000)) ;;
    2) w=$((base_w + RANDOM % 300)); h=$((base_h + RANDOM % 200)) ;;
    3) w=$((2000 + RANDOM % 501)); h=$((1500 + RANDOM % 501)) ;;
  esac
  resize_to "$w" "$h"
  sleep 0.$((1 + RANDOM % 5))
}
act_minimise() {
  if (( RANDOM % 2 )); then
    xdo windowminimize --sync "$win" 2>/dev/null
  else
    menu_command n
  fi
  sleep 0.$((2 + RANDOM % 8))
  xdo windowactivate --sync "$win" 2>/dev/null || xdo windowmap "$win"
  sleep 0.2
}
# Opens the window menu with a right click on the canvas and presses key $1 in
# it; false when the menu did not open.
menu_command() {
  front; usable
  canvas_point
  click "$cx" "$cy" 3
  local i
  for ((i = 0; i < 20; i++)); do
    for id in $(others); do
      if [[ $(xdo getwindowname "$id") == driftmote ]]; then
        shot menu
        xdo key --clearmodifiers "$1"
        sleep 0.2
        return 0
      fi
    done
    sleep 0.05
  done
  echo "window menu" >>"$work/no-menu"
  return 1
}
act_about_menu() {
  if (( RANDOM % 2 )); then
    menu_command a || return 0
  else
    menu_command Up || return 0
    xdo key --clearmodifiers Return
  fi
  sleep 0.3
  shot about
  answer_boxes || echo "window menu" >>"$work/missed"
}
act_about_credit() {
  front; usable
  centre credit
  click "$cx" "$cy"
  sleep 0.3
  shot credit
  answer_boxes || echo "credit button" >>"$work/missed"
}
act_maximise() { (( second_half )) || menu_command x; }
act_menu_dismiss() { menu_command Escape; }

# ---- pause and single frames -------------------------------------------------

# Whether the window is paused: its title says so. moving() checks that a running
# window runs: it draws frames all the time, a paused one with no input uses no
# processor time.
paused=0
title_paused() { [[ $(xdo getwindowname "$win") == *'(paused'* ]]; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$app/stat" 2>/dev/null; }
moving() {
  local before
  before=$(cpu_ticks)
  sleep 1
  (( $(cpu_ticks) - before >= 5 ))
}

# Pause or resume by the Pause key or the window menu. A key can be lost (a menu
# that has not taken the keyboard yet, say); the title tells whether it was taken.
toggle_pause() {
  local how=key i
  if (( RANDOM % 2 )); then
    front
    [[ $(xdo getactivewindow) == "$win" ]] || return 1
    xdo key --clearmodifiers Pause
  else
    how=menu
    menu_command p || return 1
  fi
  for ((i = 0; i < 10; i++)); do
    if title_paused; then (( ! paused )) && break; else (( paused )) && break; fi
    sleep 0.1
  done
  local was=$paused
  if title_paused; then paused=1; else paused=0; fi
  echo "$paused $how" >>"$work/pauses"
  (( paused != was )) || echo "$how" >>"$work/pause-lost"
}
act_pause() { toggle_pause; sleep 0.$((1 + RANDOM % 5)); }
# One to five single frames by Ctrl+. or the window menu, pausing first when
# running, and sometimes resuming after.
act_step() {
  title_paused || toggle_pause || return 0
  local n=$((1 + RANDOM % 5)) i
  for ((i = 0; i < n; i++)); do
    if (( RANDOM % 2 )); then
      front
      [[ $(xdo getactivewindow) == "$win" ]] || continue
      xdo key --clearmodifiers ctrl+period
    else
      menu_command f || continue
    fi
    echo step >>"$work/steps"
    sleep 0.05
  done
  (( RANDOM % 2 )) && toggle_pause
  return 0
}
# Resumes the window before a memory figure: running as most of the run does,
# and checked by its processor time, so that a lost key cannot leave it paused.
resume() {
  local i
  for ((i = 0; i < 3; i++)); do
    title_paused && { toggle_pause; sleep 0.2; }
    moving && return 0
    echo resync >>"$work/pause-resync"
  done
}

# ---- pictures and snapshots through the file dialogs ------------------------

files=$work/files
mkdir -p "$files/bad"
file_no=0
saved_pictures=()
saved_snapshots=()

# The id of a window of the program titled $1 (or $3, when given) other than the
# main one, once it is on screen (waiting up to $2 tenths of a second).
appears() {
  local i id name
  for ((i = 0; i < ${2:-60}; i++)); do
    for id in $(others); do
      name=$(xdo getwindowname "$id")
      if [[ $name == "$1" || ( -n ${3:-} && $name == "$3" ) ]]; then
        echo "$id"
        return 0
      fi
    done
    sleep 0.1
  done
  return 1
}

# Waits for the dialog's completion list (a popup named like the window menu) to
# close with it, so that answer_boxes does not take it for the menu.
no_popups() {
  local i id busy
  for ((i = 0; i < 20; i++)); do
    busy=0
    for id in $(others); do [[ $(xdo getwindowname "$id") == driftmote ]] && busy=1; done
    (( busy )) || return 0
    sleep 0.05
  done
}

# Opens the file dialog titled $1 by the window menu's key $2 or the shortcut $3,
# types the path $4 into its name box and accepts it; a question whether to
# replace an existing file (the dialog's title again) is answered Yes. Now and
# then the dialog is cancelled instead. Returns 0 when the dialog took the name,
# 1 when it was cancelled, 2 when it did not open or did not close.
file_dialog() {
  local title=$1 path=$4 dlg i id
  if (( RANDOM % 2 )); then
    menu_command "$2" || return 2
  else
    front; usable
    [[ $(xdo getactivewindow) == "$win" ]] || return 2
    xdo key --clearmodifiers "$3"
  fi
  dlg=$(appears "$title") || { echo "$title" >>"$work/no-dialog"; return 2; }
  focus_on "$dlg" || return 2
  shot dialog
  if (( RANDOM % 10 == 0 )); then
    xdo key --clearmodifiers Escape
    gone "$dlg" || echo "$title" >>"$work/stuck"
    echo "$title" >>"$work/cancelled"
    return 1
  fi
  # Alt+N puts the keyboard in the name box.
  xdo key --clearmodifiers alt+n ctrl+a
  xdo type --delay 5 -- "$path"
  sleep 0.1
  shot typed
  for ((i = 0; i < 4; i++)); do
    [[ $(xdo getactivewindow) == "$dlg" ]] || focus_on "$dlg" || break
    xdo key --clearmodifiers Return
    sleep 0.2
    for id in $(others); do
      [[ $id != "$dlg" && $(xdo getwindowname "$id") == "$title" ]] || continue
      shot replace
      focus_on "$id" && xdo key --clearmodifiers y && echo "$title" >>"$work/replaced"
      gone "$id"
    done
    if ! others | grep -qx "$dlg"; then
      no_popups
      return 0
    fi
  done
  echo "$title" >>"$work/stuck"
  return 2
}

# A new name in the folder, or now and then an earlier one (to be replaced).
# Without the suffix sometimes: the dialog adds it.
save_name() {
  local stem=$1 suffix=$2
  shift 2
  if (( $# && RANDOM % 5 == 0 )); then
    target=${*:RANDOM % $# + 1:1}
    typed=$target
    return
  fi
  file_no=$((file_no + 1))
  target=$files/$stem-$file_no.$suffix
  typed=$target
  (( RANDOM % 3 )) || typed=${target%.*}
}

act_save_picture() {
  save_name picture png "${saved_pictures[@]}"
  file_dialog 'Save Picture' i ctrl+shift+s "$typed" || return 0
  [[ " ${saved_pictures[*]} " == *" $target "* ]] || saved_pictures+=("$target")
}
save_snapshot() {
  save_name snapshot driftmote "${saved_snapshots[@]}"
  file_dialog 'Save Snapshot' s ctrl+s "$typed" || return 1
  [[ " ${saved_snapshots[*]} " == *" $target "* ]] || saved_snapshots+=("$target")
}
act_save_snapshot() { save_snapshot; return 0; }

# Files no reader may take; each must be refused with a message.
template='{"format": "driftmote-snapshot", "version": 1, "texts": {"num": "2", "attraction": ".00009",
 "repulsion": ".00002", "friction": ".023"}, "preset": 0, "random_state": 7, "count": 2,
 "particles": [[5.5, 4.25, 0.001, -0.0, 0.0], [1.0, 2.0, null, 0.0, 0.0]]}'
: >"$files/bad/empty.driftmote"
printf %s "${template:0:90}" >"$files/bad/truncated.driftmote"
head -c 700 /dev/urandom >"$files/bad/noise.driftmote"
sed 's/"version": 1/"version": 2/' <<<"$template" >"$files/bad/newer.driftmote"
sed 's/"count": 2/"count": 3/' <<<"$template" >"$files/bad/count.driftmote"
sed 's/"friction": ".023"/"friction": 0.023/' <<<"$template" >"$files/bad/mistyped.driftmote"
bad_files=("$files"/bad/*.driftmote)

# Opens a snapshot the window saved; one of more than 350 particles asks first,
# answered either way. When paused, it sometimes saves again at once: nothing has
# moved, so the two files must be equal. The file is kept as it was when opened:
# a later save may replace it.
act_open_snapshot() {
  (( ${#saved_snapshots[@]} )) || { save_snapshot || return 0; }
  local file=${saved_snapshots[RANDOM % ${#saved_snapshots[@]}]} id
  file_no=$((file_no + 1))
  local as_opened=$files/as-opened-$file_no.driftmote
  cp "$file" "$as_opened"
  file_dialog 'Open Snapshot' o ctrl+o "$file" || return 0
  # A refusal, or the question before more than 350 particles.
  if id=$(appears Driftmote 5 'Watch out'); then
    if [[ $(xdo getwindowname "$id") == Driftmote ]]; then
      shot refused
      echo "$file" >>"$work/refused-good"
      focus_on "$id" && xdo key --clearmodifiers Return
      gone "$id"
      return 0
    fi
    focus_on "$id" || return 0
    local answer=no
    (( RANDOM % 2 )) && answer=yes
    xdo key --clearmodifiers "${answer:0:1}"
    echo "$answer" >>"$work/answers"
    gone "$id"
    [[ $answer == yes ]] || return 0
  fi
  echo "$file" >>"$work/opened"
  if (( RANDOM % 2 )) && title_paused && front && usable && ! moving; then
    local again=$files/again-$file_no.driftmote
    file_dialog 'Save Snapshot' s ctrl+s "$again" || return 0
    # Still paused, so nothing can have moved in between.
    title_paused && echo "$as_opened $again" >>"$work/round-trips"
  fi
}
# A deliberately bad file: the message box that refuses it is closed by Return
# or Escape once it has the keyboard.
act_open_bad() {
  # A saved snapshot cut short, when there is one.
  if (( ${#saved_snapshots[@]} )) && [[ -s ${saved_snapshots[0]} ]]; then
    head -c $(( $(stat -c %s "${saved_snapshots[0]}") / 2 )) "${saved_snapshots[0]}" >"$files/bad/half.driftmote"
    bad_files=("$files"/bad/*.driftmote)
  fi
  local file=${bad_files[RANDOM % ${#bad_files[@]}]} id
  file_dialog 'Open Snapshot' o ctrl+o "$file" || return 0
  if id=$(appears Driftmote 50); then
    shot refused
    if focus_on "$id"; then
      case $((RANDOM % 2)) in 0) xdo key --clearmodifiers Return ;; 1) xdo key --clearmodifiers Escape ;; esac
    fi
    gone "$id" || echo Driftmote >>"$work/stuck"
    echo "$file" >>"$work/refused-bad"
  else
    echo "$file" >>"$work/taken-bad"
  fi
}

# The actions and their weights.
declare -A weight=(
  [act_count]=6 [act_coefficient]=6 [act_preset]=4 [act_play_nice]=1 [act_drag]=6
  [act_resize]=4 [act_minimise]=2 [act_about_menu]=2 [act_about_credit]=2 [act_maximise]=1 [act_menu_dismiss]=1
  [act_pause]=3 [act_step]=3 [act_save_picture]=2 [act_save_snapshot]=3 [act_open_snapshot]=3 [act_open_bad]=2
)
actions=()
for a in $(printf '%s\n' "${!weight[@]}" | sort); do
  for ((k = 0; k < weight[$a]; k++)); do actions+=("$a"); done
done

# ---- the run ---------------------------------------------------------------

rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$app/status" 2>/dev/null; }
( while kill -0 "$app" 2>/dev/null; do echo "$(date +%s) $(rss)" >>"$work/rss"; sleep 1; done ) &
sampler=$!

# The resident memory with the window at the largest size, not maximised, and
# running.
largest_rss() {
  if xprop -id "$win" _NET_WM_STATE | grep -q MAXIMIZED; then
    menu_command r
  fi
  answer_boxes
  resize_to 2500 2000
  front
  resume
  sleep 1
  rss_now=$(rss)
}

start=$(date +%s)
half=$(( start + duration / 2 ))
finish=$(( start + duration ))
second_half=0
baseline=''
count=0
declare -A done_count=()
while (( $(date +%s) < finish )); do
  alive
  if (( ! second_half && $(date +%s) >= half )); then
    second_half=1
    largest_rss
    baseline=$rss_now
    baseline_at=$(date +%s)
    echo "soak: second half from the resize to 2500x2000: RSS $baseline kB"
  fi
  a=${actions[RANDOM % ${#actions[@]}]}
  t0=$(date +%s.%N)
  $a
  echo "$a $(date +%s.%N) $t0" >>"$work/actions"
  [[ -n ${SOAK_TRACE:-} ]] && tail -n 1 "$work/actions" | awk '{ printf "soak: %s %.2f s\n", $1, $2 - $3 }'
  done_count[$a]=$(( ${done_count[$a]:-0} + 1 ))
  count=$((count + 1))
  shot "$a"
done
alive
# The same size as at the half, so that the two figures compare like with like.
largest_rss
final=$rss_now
# At least one snapshot to check below.
(( ${#saved_snapshots[@]} )) || for _ in 1 2 3; do save_snapshot && break; done
for _ in 1 2 3 4 5; do
  front
  [[ $(xdo getactivewindow) == "$win" ]] && break
done

# Sends Escape to the window and sets `status` to its exit status, or leaves it
# empty when the window is still running 2 s later.
escape_and_wait() {
  xdo key --clearmodifiers Escape
  status=''
  for _ in $(seq 20); do
    kill -0 "$app" 2>/dev/null || { wait "$app"; status=$?; return; }
    sleep 0.1
  done
}

# ---- the end ---------------------------------------------------------------

escape_and_wait
kill "$sampler" 2>/dev/null
[[ -n $status ]] || fail "the window did not exit within 2 s of the Escape"
app=''

echo "soak: $count actions:$(for a in $(printf '%s\n' "${!done_count[@]}" | sort); do printf ' %s=%d' "${a#act_}" "${done_count[$a]}"; done)"
echo "soak: large-count answers: $(cat "$work/answers" 2>/dev/null | grep -c yes) yes, $(cat "$work/answers" 2>/dev/null | grep -c no) no; About boxes closed: $(cat "$work/closed" 2>/dev/null | wc -l)"
[[ -s $work/missed ]] && echo "soak: About box did not open from: $(sort "$work/missed" | uniq -c | tr '\n' ' ')"
[[ -s $work/no-menu ]] && echo "soak: the window menu did not open $(wc -l <"$work/no-menu") times"
[[ -s $work/stuck ]] && echo "soak: boxes that stayed open after an answer: $(sort "$work/stuck" | uniq -c | tr '\n' ' ')"
[[ -s $work/other-boxes ]] && echo "soak: other boxes: $(sort "$work/other-boxes" | uniq -c | tr '\n' ' ')"
lines() { cat "$work/$1" 2>/dev/null | wc -l; }
echo "soak: pause toggled $(lines pauses) times ($(lines pause-lost) not taken), $(lines steps) single frames, pause state corrected $(lines pause-resync) times"
echo "soak: files: ${#saved_pictures[@]} pictures and ${#saved_snapshots[@]} snapshots saved, $(lines replaced) replaced," \
  "$(lines opened) snapshots opened ($(lines round-trips) saved again at once), $(lines refused-bad) bad files refused," \
  "$(lines cancelled) dialogs cancelled"
[[ -s $work/no-dialog ]] && echo "soak: file dialogs that did not open: $(sort "$work/no-dialog" | uniq -c | tr '\n' ' ')"
peak=$(awk '$2 > m { m = $2 } END { print m + 0 }' "$work/rss")
late_peak=$(awk -v t="${baseline_at:-0}" '$1 >= t && $2 > m { m = $2 } END { print m + 0 }' "$work/rss")
echo "soak: RSS peak $peak kB; second half: $baseline kB at 2500x2000 at its start, peak $late_peak kB, $final kB at 2500x2000 at the end"

(( status == 0 )) || fail "the window exited with status $status"
# Anything on stderr is unexpected.
[[ -s $work/stderr ]] && fail "the window wrote to stderr"
if [[ -n $baseline ]] && (( final * 10 > baseline * 11 )); then
  fail "RSS grew from $baseline kB to $final kB over the second half (more than 10 %)"
fi

# ---- the files -------------------------------------------------------------

[[ -s $work/refused-good ]] && fail "a snapshot the window saved was refused: $(head -n 1 "$work/refused-good")"
[[ -s $work/taken-bad ]] && fail "a bad file was opened without a message: $(head -n 1 "$work/taken-bad")"
for f in "${saved_pictures[@]}"; do
  [[ $(head -c 8 "$f" 2>/dev/null | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] || fail "no PNG picture in $f"
done
sim=$(dirname "$app_path")/driftmote-sim
(( ${#saved_snapshots[@]} )) || fail "no snapshot was saved"
for f in "${saved_snapshots[@]}"; do
  [[ -s $f ]] || fail "the snapshot $f was not written"
  if [[ -x $sim ]]; then
    "$sim" --load "$f" --frames 0 --print 0 >/dev/null 2>"$work/sim-stderr" ||
      fail "driftmote-sim could not load $f: $(cat "$work/sim-stderr")"
  fi
done
[[ -x $sim ]] || echo "soak: $sim not found; the snapshots were not loaded by the tool"
while read -r opened again; do
  [[ ! -e $again ]] || cmp -s "$opened" "$again" ||
    fail "a snapshot saved right after opening one differs from it ($opened, $again)"
done < <(cat "$work/round-trips" 2>/dev/null)

# The window opens a snapshot given on its command line: no message, and it
# closes as before.
last=${saved_snapshots[-1]}
QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work/runtime "$app_path" "$last" 2>"$work/stderr" &
app=$!
win=$(timeout 20 xdotool search --sync --all --onlyvisible --pid "$app" --name '^Driftmote$' 2>/dev/null | head -n 1)
[[ -n $win ]] || fail "the window did not appear with $last"
sleep 1
alive
# A snapshot of more than 350 particles asks first, as typing such a count does: Yes.
if (( $(grep -o '"count": *[0-9]*' "$last" | grep -o '[0-9]*$') > 350 )); then
  id=$(appears 'Watch out' 100) || fail "the window did not ask before opening $last"
  focus_on "$id" || fail "the question before opening $last did not take the keyboard"
  xdo key --clearmodifiers y
  gone "$id" || fail "the question before opening $last did not close"
fi
if id=$(appears Driftmote 10); then
  shot refused
  fail "the window refused $last given on its command line"
fi
focus_on "$win" || fail "the window with $last did not take the keyboard"
escape_and_wait
[[ -n $status ]] || fail "the window with $last did not exit within 2 s of the Escape"
app=''
(( status == 0 )) || fail "the window with $last exited with status $status"
[[ -s $work/stderr ]] && fail "the window with $last wrote to stderr"
echo "soak: passed"
