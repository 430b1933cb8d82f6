# TAL command lines: corvane-tal talks to a simulated chain whose boards match two shipped stages;
# the stages are assigned, the axes initialised, referenced and moved, positions and parameters
# read, and a macro recorded and listed, all as TAL lines. Sourced by examples/demo.sh with
# $build, $bin, $scratch and `section`.

tal_trap_command() { printf '%s' "${3:-}"; }

tal_demo() {
    local sim="$bin/corvane-sim" tal="$bin/corvane-tal" portfile="$scratch/tal-sim.port"
    local stages="$scratch/tal-stages" database="$build/stages/zrstages2.dat"
    local pid line reply exit_command tries
    section "TAL command lines through corvane-tal"
    if [ ! -x "$sim" ] || [ ! -x "$tal" ] || [ ! -f "$database" ]; then
        echo "corvane-sim, corvane-tal or the stage database not built, skipped"
        return 0
    fi
    mkdir -p "$stages"
    cp "$database" "$stages/zrstages2.dat"
    "$bin/regtool" set 'HKLM\Software\ZR\TALTranslator' Path sz "$stages" > /dev/null

    "$sim" --com 7 --config data/stages/corvane-sim-stages.conf --port-file "$portfile" \
        > /dev/null 2>&1 &
    pid=$!
    exit_command=$(eval "tal_trap_command $(trap -p EXIT)")
    trap "kill $pid 2>/dev/null || true; $exit_command" EXIT
    wait_port_file "$portfile" "$pid" || return 0
    line=$(cat "$portfile")
    echo "\$ corvane-sim --com 7 --config data/stages/corvane-sim-stages.conf  ->  $line"
    echo "\$ corvane-tal --device ${line#*=} --boards 2"
    coproc TAL { exec "$tal" --device "${line#*=}" --boards 2 2>&1; }

    # tal LINE [N]: sends LINE and shows it with its N answer lines
    tal() {
        printf '%s\n' "$1" >&"${TAL[1]}"
        printf 'TAL> %s\n' "$1"
        for ((k = 0; k < ${2:-0}; k++)); do
            IFS= read -r -t 30 reply <&"${TAL[0]}" || { echo "     (no answer)"; return 1; }
            printf '     %s\n' "$reply"
        done
    }
    # until_answer LINE WANTED OTHER TITLE: repeats LINE while its answer matches the pattern
    # OTHER, until it is WANTED; other lines (the answers of REF) are shown
    until_answer() {
        for tries in $(seq 120); do
            printf '%s\n' "$1" >&"${TAL[1]}"
            while IFS= read -r -t 30 reply <&"${TAL[0]}"; do
                # shellcheck disable=SC2254
                case "$reply" in
                "$2") printf 'TAL> %s   (%d times)\n     %s\n' "$4" "$tries" "$reply"; return 0 ;;
                $3) break ;;
                *) printf '     %s\n' "$reply" ;;
                esac
            done
            sleep 0.25
        done
        echo "     (gave up waiting)"
    }

    tal '*IDN?' 1
    tal 'CST A LT-50-DC B LT-100-STEP'
    tal 'CST?' 2
    tal 'INI A B'
    tal 'REF A B'
    until_answer '#7' '\xB1' '\\xB0' '#7 until the controller is ready (0xB1)'
    tal 'MOV A 10 B -20'
    until_answer '#5' '0' '[0-9A-F]' '#5 until no axis moves'
    tal 'POS? A B' 2
    tal 'SPA? A60 B60 A0xA' 3
    tal 'MAC BEG AMC1'
    tal 'MVR A 1'
    tal 'MAC END'
    tal 'MAC? AMC1' 1
    tal 'ERR?' 1
    exec {TAL[1]}>&-
    wait "$TAL_PID" 2>/dev/null && echo "corvane-tal ended with status 0" ||
        echo "corvane-tal ended with status $?"

    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    if [ -n "$exit_command" ]; then trap -- "$exit_command" EXIT; else trap - EXIT; fi
    return 0
}
tal_demo
