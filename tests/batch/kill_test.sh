#!/bin/bash
# brevanto-batch killed at random moments (SIGINT, SIGTERM, SIGHUP, SIGKILL), with -j 1 and
# -j 2, over inputs with companion files, one of them large: no input may change, no
# companion may appear cut under its own name, SIGINT/SIGTERM/SIGHUP leave no temporary
# behind, and a last undisturbed run over the same folder removes what SIGKILL left, ends
# with exit 0 and outputs that verify, their companions whole.
#
# usage: kill_test.sh BREVANTO_BATCH BREVANTO_RAW WORK_DIR [ROUNDS]
set -u
# Job control: without it, background commands start with SIGINT ignored.
set -m
batch=$1
raw=$2
work=$3
rounds=${4:-40}

fail() {
    echo "kill_test: $*" >&2
    exit 1
}

rm -rf "$work"
mkdir -p "$work" || fail "cannot create $work"
cd "$work" || fail "cannot enter $work"

for i in 1 2 3; do
    "$raw" synth "in$i.raw" --functions 3 --scans 200 --peaks 2000 --seed "$i" \
        --companions 3 >/dev/null || fail "cannot synthesize in$i.raw"
done
head -c 60000000 /dev/urandom >in2.raw/large-companion.dat || fail "cannot write a companion"

inputs_digest() {
    find in1.raw in2.raw in3.raw -type f -print0 | sort -z | xargs -0 sha256sum
}
before=$(inputs_digest)

temporaries() {
    find . -name '*.brvtmp'
}

# Every companion under its own name in an output is the input's, byte for byte.
check_companions() {
    local out input name
    for i in 1 2 3; do
        out="in${i}_BRV.raw"
        [ -d "$out" ] || continue
        for input in "in$i.raw"/*; do
            name=$(basename "$input")
            case "$name" in brv-*) continue ;; esac
            if [ -e "$out/$name" ] && ! cmp -s "$input" "$out/$name"; then
                fail "round $1: $out/$name differs from its input (a cut companion)"
            fi
        done
    done
}

signals=(INT TERM HUP KILL)
for ((round = 1; round <= rounds; round++)); do
    signal=${signals[RANDOM % 4]}
    jobs=$((RANDOM % 2 + 1))
    delay=$(printf '0.%03d' $((RANDOM % 250)))
    "$batch" --quiet -j "$jobs" --rule 1:0:1200:0.3:100:100 in1.raw in2.raw in3.raw \
        2>"round.err" &
    pid=$!
    sleep "$delay"
    kill -s "$signal" "$pid" 2>/dev/null
    wait "$pid"
    status=$?
    if [ "$status" -ne 0 ] && [ "$status" -lt 128 ]; then
        cat round.err >&2
        fail "round $round (SIG$signal after ${delay}s, -j $jobs): exit status $status"
    fi
    [ "$(inputs_digest)" = "$before" ] || fail "round $round: an input changed"
    check_companions "$round"
    # Its own temporaries; those of an earlier SIGKILL wait for a run that reaches their output.
    if [ "$signal" != KILL ] && [ -n "$(temporaries | grep -e "-$pid-")" ]; then
        fail "round $round (SIG$signal after ${delay}s): temporaries left: $(temporaries)"
    fi
done

# Kills that surely land while the large companion is copied: wait for its temporary.
shopt -s nullglob dotglob
for signal in INT TERM HUP KILL; do
    rm -f in2_BRV.raw/large-companion.dat
    "$batch" --quiet --rule 1:0:1200:0.3:100:100 in2.raw 2>/dev/null &
    pid=$!
    caught=
    for ((poll = 0; poll < 200000; poll++)); do
        copies=(in2_BRV.raw/*.brvtmp)
        if [ ${#copies[@]} -gt 0 ]; then
            kill -s "$signal" "$pid"
            caught=yes
            break
        fi
        kill -0 "$pid" 2>/dev/null || break
    done
    wait "$pid"
    status=$?
    if [ -z "$caught" ]; then
        echo "kill_test: SIG$signal: the copy ended before it was seen (exit $status)"
        continue
    fi
    [ "$status" -ge 128 ] || fail "SIG$signal during the companion copy: exit status $status"
    [ ! -e in2_BRV.raw/large-companion.dat ] ||
        cmp -s in2.raw/large-companion.dat in2_BRV.raw/large-companion.dat ||
        fail "SIG$signal during the companion copy left it cut under its own name"
    if [ "$signal" != KILL ] && [ -n "$(temporaries | grep -e "-$pid-")" ]; then
        fail "SIG$signal during the companion copy left $(temporaries)"
    fi
    echo "kill_test: SIG$signal during the companion copy: exit $status, nothing cut"
done
shopt -u nullglob dotglob

"$batch" --quiet -j 2 --rule 1:0:1200:0.3:100:100 in1.raw in2.raw in3.raw ||
    fail "the last, undisturbed run failed"
[ -z "$(temporaries)" ] || fail "temporaries left after the last run: $(temporaries)"
[ "$(inputs_digest)" = "$before" ] || fail "an input changed"
check_companions last
for i in 1 2 3; do
    "$raw" verify "in${i}_BRV.raw" >/dev/null || fail "in${i}_BRV.raw does not verify"
    for input in "in$i.raw"/*; do
        [ -e "in${i}_BRV.raw/$(basename "$input")" ] || fail "in${i}_BRV.raw misses $(basename "$input")"
    done
done
echo "kill_test: $rounds rounds, inputs unchanged, no cut companion, no temporary left"
cd / && rm -rf "$work"
