#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Puts each fault of scripts/fault-hunt.tsv into the code on its own, rebuilds what
# the tests of its labels need, runs those tests and puts the file back.
#
#   scripts/fault-hunt.sh [-b BUILD_DIR] [-l LIST] [ID_OR_FOLDER...]
#
# Without arguments every fault runs; an argument picks the faults with that id
# (sim-3) or of that folder (sim). A row of the list: id, file, the exact text
# it replaces (once in the file), its replacement, the ctest labels to run
# (sim|rules|tool|gui|desktop, joined by |) and the tests that are known to fail
# (an extended regular expression; "-" when none is). Tabs separate the columns;
# in the texts ⏎ stands for a line break and a lone ∅ for nothing; a line
# starting with # is a comment.
#
# Writes BUILD_DIR/fault-hunt/results.tsv: id, caught or missed, the failing
# tests. Exits 1 when a fault was missed, or when a known test did not fail.
# The build directory must be configured (make build does); it is left built
# from the untouched sources.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
list="$root/scripts/fault-hunt.tsv"
while getopts "b:l:h" opt; do
    case $opt in
    b) build=$(cd "$OPTARG" && pwd) ;;
    l) list=$OPTARG ;;
    *) sed -n '3,18s/^# \{0,1\}//p' "$0"; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
[ -f "$build/CMakeCache.txt" ] || { echo "fault-hunt: $build is not configured (run make build)" >&2; exit 2; }

# The executables each label's tests run.
declare -A targets=(
    [sim]="driftmote-sim-tests driftmote-session-tests driftmote-snapshot-tests driftmote-files-tests driftmote-render-tests driftmote-fast-tests"
    [rules]="driftmote-rules-tests"
    [tool]="driftmote-sim driftmote-tool-tests driftmote-sim-picture-tests driftmote-sim-video-tests"
    [gui]="driftmote-sim tst_swarmdlg tst_swarmapp tst_swarmfiles tst_commandline tst_swarmrecording"
    [desktop]="driftmote driftmote-sim"
)

work="$build/fault-hunt"
mkdir -p "$work"
results="$work/results.tsv"
: >"$results"
saved="" # the file under a fault, while it is
original="$work/original"
restore() {
    if [ -n "$saved" ]; then
        cp -p "$original" "$saved"
        touch "$saved" # newer than the faulty object, so that it is rebuilt
        saved=""
    fi
}
trap restore EXIT
trap 'restore; exit 130' INT TERM

wanted() {
    local id=$1 arg
    shift
    [ $# -eq 0 ] && return 0
    for arg in "$@"; do
        [ "$id" = "$arg" ] || [ "${id%-*}" = "$arg" ] && return 0
    done
    return 1
}

missed=0
wrong=0
total=0
while IFS=$'\t' read -r id file find replace labels known || [ -n "$id" ]; do
    [ -z "$id" ] || [ "${id:0:1}" = "#" ] && continue
    wanted "$id" "$@" || continue
    total=$((total + 1))
    path="$root/$file"
    find=${find//⏎/$'\n'}
    replace=${replace//⏎/$'\n'}
    [ "$replace" = "∅" ] && replace=""
    text=$(<"$path")
    rest=${text#*"$find"}
    if [ "$rest" = "$text" ] || [[ $rest == *"$find"* ]]; then
        echo "fault-hunt: $id: the text is not in $file exactly once" >&2
        printf '%s\tbad-row\t\n' "$id" >>"$results"
        wrong=$((wrong + 1))
        continue
    fi
    cp -p "$path" "$original"
    saved=$path
    printf '%s\n' "${text/"$find"/"$replace"}" >"$path"

    build_targets=""
    for label in ${labels//|/ }; do
        build_targets+=" ${targets[$label]:?unknown label $label in $id}"
    done
    # shellcheck disable=SC2086 # one word per target
    if ! nice -n 10 cmake --build "$build" -j 2 --target $(tr ' ' '\n' <<<"$build_targets" | sort -u) \
            >"$work/$id.build.log" 2>&1; then
        restore
        echo "fault-hunt: $id does not build (see $work/$id.build.log)" >&2
        printf '%s\tno-build\t\n' "$id" >>"$results"
        wrong=$((wrong + 1))
        continue
    fi
    # A folder of its own for the tests' temporary files, apart from other runs on the machine.
    mkdir -p "$work/tmp"
    (cd "$build" && TMPDIR="$work/tmp" QT_QPA_PLATFORM=offscreen nice -n 10 ctest -j 2 --timeout 120 -L "^($labels)\$" \
        >"$work/$id.test.log" 2>&1) || true
    restore
    failed=$(awk '/tests FAILED:/ { f = 1; next }
        f && /^[[:space:]]+[0-9]+ - / { sub(/^[[:space:]]+[0-9]+ - /, ""); sub(/ \([^()]*\)$/, ""); sub(/ +#.*/, ""); print }' \
        "$work/$id.test.log" | paste -sd, -)
    if [ -n "$failed" ]; then
        verdict=caught
        if [ "$known" != "-" ] && ! grep -Eq "$known" <<<"${failed//,/$'\n'}"; then
            verdict=caught-elsewhere
            wrong=$((wrong + 1))
        fi
    else
        verdict=missed
        missed=$((missed + 1))
    fi
    printf '%s\t%s\t%s\n' "$id" "$verdict" "$failed" | tee -a "$results"
done <"$list"

echo "fault-hunt: $total faults, $missed missed, $wrong otherwise off the list; results in $results"
[ $missed -eq 0 ] && [ $wrong -eq 0 ]
