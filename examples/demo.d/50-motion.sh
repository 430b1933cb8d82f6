# Motion library: a small C program (examples/motion-demo) connects through libZR_Corvane_TAL to a
# simulated chain of an R-220 and an R-210 board. Sourced by examples/demo.sh with $bin, $scratch
# and `section`.

# The command of a `trap -p` line: trap -- COMMAND SIGNAL
motion_trap_command() { printf '%s' "${3:-}"; }

motion_library_demo() {
    local sim="$bin/corvane-sim" demo="$bin/motion-demo" portfile="$scratch/motion-sim.port"
    local pid line status=0 exit_command
    section "Motion library: identification, versions and axes of a simulated two-board chain"
    if [ ! -x "$sim" ] || [ ! -x "$demo" ]; then
        echo "corvane-sim or motion-demo not built, skipped"
        return 0
    fi
    "$sim" --com 5 --boards 0,1 --board 1:type=R-210 --port-file "$portfile" >/dev/null 2>&1 &
    pid=$!
    # the simulator goes with the demo, however the demo ends
    exit_command=$(eval "motion_trap_command $(trap -p EXIT)")
    trap "kill $pid 2>/dev/null || true; $exit_command" EXIT

    for _ in $(seq 100); do
        [ -s "$portfile" ] && break
        sleep 0.05
    done
    if [ -s "$portfile" ]; then
        line=$(cat "$portfile")
        echo "\$ corvane-sim --com 5 --boards 0,1 --board 1:type=R-210   ->  $line"
        echo "\$ motion-demo 5 57600 2   (COM5 at 57600 baud, board addresses 0 and 1)"
        env "$line" timeout 60 "$demo" 5 57600 2 || status=$?
        [ "$status" -eq 0 ] || echo "motion-demo ended with status $status"
    else
        echo "corvane-sim did not start"
    fi

    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    if [ -n "$exit_command" ]; then trap -- "$exit_command" EXIT; else trap - EXIT; fi
    return 0
}
motion_library_demo
