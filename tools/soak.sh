#!/usr/bin/env bash
# Drives the window with random input for SECONDS on a virtual display of its own,
# under a window manager: texts typed into the four boxes (counts up to 3000, bad
# texts, huge numbers), both answers to the large-count question, presets, drags
# and flings, resizes from 1x1 to 2500x2000, minimise and restore, and the About
# box from the window menu and from the credit button. It samples the resident
# memory every second and at the end closes the window with Escape.
#
# It fails when the program dies, writes anything unexpected on stderr, does not
# exit with 0 within 2 s of the Escape, or when its resident memory grows by more
# than 10 % over the second half of the run. The memory is read with the window
# resized to 2500x2000 at the start of that half and again at its end; no resize
# in between makes it larger (and it is not maximised then).
#
#   tools/soak.sh SECONDS [SEED]
#
# The random choices come from bash's $RANDOM seeded with SEED (printed at the
# start), so a failing run can be replayed. Needs Xvfb, openbox, xdotool and xprop
# (and imagemagick for SOAK_SHOTS); builds nothing: run `make` first.
# DRIFTMOTE=path runs another build of the window; SOAK_SHOTS=dir saves a picture
# of the screen after every action, to check where the clicks land; SOAK_TRACE=1
# prints every action and its time.
set -uo pipefail
cd "$(dirname "$0")/.."

if [[ $# -lt 1 || $# -gt 2 || ! $1 =~ ^[0-9]+$ || ( $# -eq 2 && ! $2 =~ ^[0-9]+$ ) ]]; then
  echo "usage: tools/soak.sh SECONDS [SEED]" >&2
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
for tool in Xvfb openbox xdotool xprop; do
  command -v "$tool" >/dev/null || { echo "soak: $tool is missing (make soak installs it)" >&2; exit 2; }
done
echo "soak: $duration s, seed $seed (replay: tools/soak.sh $duration $seed)"
RANDOM=$seed

work=$(mktemp -d)
app=''
xvfb=''
wm=''
sampler=''
cleanup() {
  for p in $sampler $app $wm $xvfb; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
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
QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work/runtime "$app_path" 2>"$work/stderr" &
app=$!
win=$(timeout 20 xdotool search --sync --all --onlyvisible --pid "$app" --name '^Driftmote$' 2>/dev/null | head -n 1)
[[ -n $win ]] || fail "the window did not appear"
sleep 0.5

# The controls' places in dialog units (left, top, width, height) on the 344 by
# 288 unit client area; the column on the right keeps its distance from the
# right edge, the canvas stretches.
declare -A control=(
  [num]="322 2 19 12" [attraction]="301 21 40 12" [repulsion]="301 59 40 12" [friction]="301 101 40 12"
  [prev]="300 143 19 14" [next]="319 143 19 14" [credit]="300 193 40 34" [playnice]="310 271 31 15"
)
eval "$(xdo getwindowgeometry --shell "$win")"
base_w=$WIDTH
base_h=$HEIGHT
echo "soak: window $win, client ${base_w}x${base_h}"

# Pixels of dialog units: x from the client width, y from the height.
px() { echo $(( ($1 * base_w + 172) / 344 )); }
py() { echo $(( ($1 * base_h + 144) / 288 )); }

size() { eval "$(xdo getwindowgeometry --shell "$win")"; cur_w=$WIDTH; cur_h=$HEIGHT; }

# The centre of a control in the window's present size.
centre() {
  local l t w h
  read -r l t w h <<<"${control[$1]}"
  size
  cx=$(( cur_w - base_w + $(px $((2 * l + w))) / 2 ))
  cy=$(( $(py $((2 * t + h))) / 2 ))
}

# A random point on the canvas.
canvas_point() {
  size
  local left top right bottom
  left=$(px 4); top=$(py 2)
  right=$(( cur_w - base_w + $(px 298) )); bottom=$(( cur_h - base_h + $(py 286) ))
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

# The actions and their weights. Further actions (pause, single step, saving and
# opening a snapshot) join here: a function and a weight.
declare -A weight=(
  [act_count]=6 [act_coefficient]=6 [act_preset]=4 [act_play_nice]=1 [act_drag]=6
  [act_resize]=4 [act_minimise]=2 [act_about_menu]=2 [act_about_credit]=2 [act_maximise]=1 [act_menu_dismiss]=1
)
actions=()
for a in $(printf '%s\n' "${!weight[@]}" | sort); do
  for ((k = 0; k < weight[$a]; k++)); do actions+=("$a"); done
done

# ---- the run ---------------------------------------------------------------

rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$app/status" 2>/dev/null; }
( while kill -0 "$app" 2>/dev/null; do echo "$(date +%s) $(rss)" >>"$work/rss"; sleep 1; done ) &
sampler=$!

# The resident memory with the window at the largest size, not maximised.
largest_rss() {
  if xprop -id "$win" _NET_WM_STATE | grep -q MAXIMIZED; then
    menu_command r
  fi
  answer_boxes
  resize_to 2500 2000
  front
  sleep 2
  rss
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
    baseline=$(largest_rss)
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
final=$(largest_rss)
for _ in 1 2 3 4 5; do
  front
  [[ $(xdo getactivewindow) == "$win" ]] && break
done

# ---- the end ---------------------------------------------------------------

xdo key --clearmodifiers Escape
status=''
for _ in $(seq 20); do
  kill -0 "$app" 2>/dev/null || { wait "$app"; status=$?; break; }
  sleep 0.1
done
kill "$sampler" 2>/dev/null
[[ -n $status ]] || fail "the window did not exit within 2 s of the Escape"
app=''

echo "soak: $count actions:$(for a in $(printf '%s\n' "${!done_count[@]}" | sort); do printf ' %s=%d' "${a#act_}" "${done_count[$a]}"; done)"
echo "soak: large-count answers: $(cat "$work/answers" 2>/dev/null | grep -c yes) yes, $(cat "$work/answers" 2>/dev/null | grep -c no) no; About boxes closed: $(cat "$work/closed" 2>/dev/null | wc -l)"
[[ -s $work/missed ]] && echo "soak: About box did not open from: $(sort "$work/missed" | uniq -c | tr '\n' ' ')"
[[ -s $work/no-menu ]] && echo "soak: the window menu did not open $(wc -l <"$work/no-menu") times"
[[ -s $work/stuck ]] && echo "soak: boxes that stayed open after an answer: $(sort "$work/stuck" | uniq -c | tr '\n' ' ')"
[[ -s $work/other-boxes ]] && echo "soak: other boxes: $(sort "$work/other-boxes" | uniq -c | tr '\n' ' ')"
peak=$(awk '$2 > m { m = $2 } END { print m + 0 }' "$work/rss")
late_peak=$(awk -v t="${baseline_at:-0}" '$1 >= t && $2 > m { m = $2 } END { print m + 0 }' "$work/rss")
echo "soak: RSS peak $peak kB; second half: $baseline kB at 2500x2000 at its start, peak $late_peak kB, $final kB at 2500x2000 at the end"

(( status == 0 )) || fail "the window exited with status $status"
# Anything on stderr is unexpected.
[[ -s $work/stderr ]] && fail "the window wrote to stderr"
if [[ -n $baseline ]] && (( final * 10 > baseline * 11 )); then
  fail "RSS grew from $baseline kB to $final kB over the second half (more than 10 %)"
fi
echo "soak: passed"
