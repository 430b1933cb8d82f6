# corvane-sim: a simulated chain of motion-controller boards on a pseudo-terminal, spoken to
# with raw native commands. Sourced by examples/demo.sh with $bin and $scratch set.

corvane_sim_demo() {
    local sim="$bin/corvane-sim" portfile="$scratch/corvane-sim.port"
    local answers="$scratch/corvane-sim.answers" pid reader port line fd
    section "corvane-sim: an R-220 and an R-210 board on a simulated RS-232 line"
    if [ ! -x "$sim" ]; then
        echo "corvane-sim not built, skipped"
        return 0
    fi
    "$sim" --boards 0,1 --board 1:type=R-210 --port-file "$portfile" >/dev/null &
    pid=$!
    wait_port_file "$portfile" "$pid" || return 0
    line=$(cat "$portfile")
    port=${line#*=}
    echo "$line"
    # Answers end in CR LF ETX; ETX is ^C to a terminal, so the line must stay raw and is
    # read by cat, which leaves the terminal settings alone.
    stty -F "$port" raw -echo 2>/dev/null || true
    : >"$answers"
    cat "$port" >>"$answers" &
    reader=$!
    exec {fd}>"$port"

    # ask <board> <answers expected> <command line>: select, send, show the answers
    ask() {
        local start count=0
        start=$(stat -c %s "$answers")
        printf '\001%X%s\r' "$1" "$3" >&"$fd"
        printf '  board %X  > %s\n' "$1" "$3"
        for _ in $(seq 100); do
            count=$(tail -c +$((start + 1)) "$answers" | tr -cd '\003' | wc -c)
            [ "$count" -ge "$2" ] && break
            sleep 0.05
        done
        tail -c +$((start + 1)) "$answers" | tr -d '\r' | tr '\003' '\n' |
            sed -e '/^$/d' -e 's/^/           < /'
        return 0
    }

    ask 0 4 "TB,VE,CS,TS"
    ask 0 2 "MN,MR5000,WS,TP,TS"
    ask 0 2 "SV20000,FE1,WS,TP,TS"
    ask 1 3 "TB,VE,TS"
    ask 1 0 "GP"
    echo "  (no answer to GP: the R-210 firmware does not know it)"

    exec {fd}>&-
    kill "$reader" "$pid" 2>/dev/null || true
    wait "$reader" "$pid" 2>/dev/null || true
}
corvane_sim_demo
