#!/usr/bin/env bash
# device_endtoend.sh TARVO_CLI EXAMPLES_DIR: every example driver passes
# `tarvo-cli test` against `tarvo-cli simulate` over TCP, UDP and a
# pseudo-terminal; a refused value exits 1, a device that is not there 2, and
# --count stops the simulator by itself; the options of test and simulate
# against a device that greets, checks a login digest and refuses commands. Only 127.0.0.1 and the simulator's
# own pseudo-terminals are used; every wait is bounded.
set -u
cli=$1
examples=$2
work=$(mktemp -d)
sim=
trap '[ -n "$sim" ] && kill "$sim" 2>/dev/null; rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# start FILE OPTION...: starts the simulator, sets sim and endpoint (its first line).
start() {
  : > "$work/sim.out"
  "$cli" simulate "$@" --seconds 120 > "$work/sim.out" 2> "$work/sim.err" &
  sim=$!
  for _ in $(seq 100); do
    [ -s "$work/sim.out" ] && break
    sleep 0.1
  done
  endpoint=$(head -n 1 "$work/sim.out")
}

stop() {
  kill "$sim" 2>/dev/null
  wait "$sim" 2>/dev/null
  sim=
}

for file in "$examples"/*.prd; do
  name=$(basename "$file")
  for transport in tcp udp pty; do
    case $transport in
      pty) start "$file" --pty; target=(--serial "${endpoint##* }") ;;
      *) start "$file" "--$transport" 127.0.0.1:0; target=("--$transport" "127.0.0.1:${endpoint##*:}") ;;
    esac
    if ! timeout 60 "$cli" test "$file" "${target[@]}" > "$work/test.out" 2>&1; then
      fail "$name over $transport ($endpoint)"
      cat "$work/test.out" "$work/sim.out" "$work/sim.err"
    elif ! grep -q ": matched" "$work/test.out" || grep -qv ": matched\|: sent: \|unsolicited" "$work/test.out"; then
      fail "$name over $transport: not every step matched"
      cat "$work/test.out"
    fi
    stop
  done
done

projector=$examples/projector-tcp.prd
start "$projector" --tcp 127.0.0.1:0
port=${endpoint##*:}
timeout 60 "$cli" test "$projector" --tcp "127.0.0.1:$port" --event Input --param Input=9 --json > "$work/refused.json"
status=$?
[ $status -eq 1 ] || fail "a value outside the limits exits $status, not 1"
grep -q '"outcome": "refused"' "$work/refused.json" || fail "the refused step is not in the JSON"
grep -q 'INPT' "$work/sim.out" && fail "a refused value was sent"
stop

timeout 60 "$cli" test "$projector" --tcp "127.0.0.1:$port" > "$work/absent.out" 2>&1
status=$?
[ $status -eq 2 ] || fail "a device that is not there exits $status, not 2"
timeout 60 "$cli" test "$projector" --serial "$work/no-such-tty" > "$work/absent.out" 2>&1
status=$?
[ $status -eq 2 ] || fail "a serial device that is not there exits $status, not 2"

start "$projector" --tcp 127.0.0.1:0 --count 2
timeout 60 "$cli" test "$projector" --tcp "127.0.0.1:${endpoint##*:}" --event LampHours > /dev/null 2>&1
timeout 10 tail --pid="$sim" -f /dev/null
wait "$sim" 2>/dev/null
status=$?
sim=
[ $status -eq 0 ] || fail "simulate --count 2 exits $status, not 0, after two answers"

# The PJLink projector as another device would play it: its own password,
# or a command refused.
pjlink=$examples/projector-pjlink.prd
cp "$pjlink" "$work/projector-pjlink.prd"
sed 's/init="JBMIAProjectorLink"/init="other"/' "$pjlink" > "$work/otherpassword.prd"
sed 's|%1POWR=OK\\r</message>|%1POWR=ERR3\\r</message>|' "$pjlink" > "$work/refusing.prd"
grep -q 'init="other"' "$work/otherpassword.prd" && grep -q 'ERR3\\r</message></messages></command><command name="PowerQuery"' "$work/refusing.prd" \
  || fail "the PJLink variants were not made"
# device | simulate options | test options | exit | in test's output | in simulate's output
while IFS='|' read -r device simopts testopts want out simout; do
  start "$work/$device.prd" --tcp 127.0.0.1:0 $simopts
  timeout 60 "$cli" test "$pjlink" --tcp "127.0.0.1:${endpoint##*:}" $testopts > "$work/case.out" 2>&1
  status=$?
  stop
  case="test $testopts against $device simulate $simopts"
  [ $status -eq "$want" ] || { fail "$case exits $status, not $want"; cat "$work/case.out" "$work/sim.out"; }
  grep -qF -- "$out" "$work/case.out" || { fail "$case: no '$out'"; cat "$work/case.out"; }
  grep -qF -- "$simout" "$work/sim.out" || { fail "$case: simulate said no '$simout'"; cat "$work/sim.out"; }
done <<'CASES'
otherpassword|||1|setup 3 'Outgoing - SetupMessage3' timeout; the run stopped|computed field differs: expected
otherpassword||--json|1|"outcome": "skipped"|-> not answered: the client's login failed
otherpassword|--lenient|--event PowerQuery|0|event 'PowerQuery': matched|computed field differs
otherpassword||--keep-going --event PowerQuery|1|event 'PowerQuery': timeout|(event): %1POWR ?\r -> not answered
refusing||--event Power|1|reply taken by unsolicited event 'CommandError': %1POWR=ERR3\r|answered %1POWR=ERR3\r
projector-pjlink|--count 1|--event LampQuery --event NameQuery|1|event 'NameQuery': skipped|greeting 'Incoming - SetupMessage1' (setup 1): sent PJLINK 1 498b5924\r
CASES

[ $failures -eq 0 ] && echo "all device round trips passed"
exit $((failures > 0))
