# Stages: the shipped stage database, a user stage added with stagetool, and a simulated chain
# whose boards match two shipped stages; the stages are assigned (CST), the axes initialised
# (INI) and referenced (REF) and, where the library has the motion commands, moved while their
# positions are printed. Sourced by examples/demo.sh with $build, $bin, $scratch and `section`.

stage_trap_command() { printf '%s' "${3:-}"; }

stages_demo() {
    local sim="$bin/corvane-sim" stagetool="$bin/stagetool" portfile="$scratch/stages-sim.port"
    local stages="$scratch/stages" database="$build/stages/zrstages2.dat" pid line status=0
    local exit_command
    section "Stages: the stage database, assignment, initialisation, referencing and moves"
    if [ ! -x "$sim" ] || [ ! -x "$stagetool" ] || [ ! -f "$database" ]; then
        echo "corvane-sim, stagetool or the stage database not built, skipped"
        return 0
    fi
    if ! command -v python3 > /dev/null; then
        echo "(python3 not installed: skipped)"
        return 0
    fi
    mkdir -p "$stages"
    cp "$database" "$stages/zrstages2.dat"
    echo "\$ regtool set 'HKLM\\Software\\ZR\\TALTranslator' Path sz $stages"
    "$bin/regtool" set 'HKLM\Software\ZR\TALTranslator' Path sz "$stages"
    echo "\$ stagetool list zrstages2.dat"
    "$stagetool" list "$stages/zrstages2.dat"
    cat > "$scratch/my-stages.txt" << 'TXT'
[MY-LT-50]
type = 0
has-reference = 1
min-travel = -20
max-travel = 20
neg-limit-distance = 20
pos-limit-distance = 20
counts-numerator = 2000
p-term = 250
i-term = 12
d-term = 520
i-limit = 2000
velocity = 4
reference-velocity = 2
acceleration = 40
max-position-error = 1
TXT
    echo "\$ stagetool add corvaneuserstages2.dat my-stages.txt"
    "$stagetool" add "$stages/corvaneuserstages2.dat" "$scratch/my-stages.txt"

    "$sim" --com 6 --config data/stages/corvane-sim-stages.conf --port-file "$portfile" \
        > /dev/null 2>&1 &
    pid=$!
    exit_command=$(eval "stage_trap_command $(trap -p EXIT)")
    trap "kill $pid 2>/dev/null || true; $exit_command" EXIT
    for _ in $(seq 100); do
        [ -s "$portfile" ] && break
        sleep 0.05
    done
    if [ -s "$portfile" ]; then
        line=$(cat "$portfile")
        echo "\$ corvane-sim --com 6 --config data/stages/corvane-sim-stages.conf  ->  $line"
        env "$line" timeout 120 python3 - "$(cd "$build/lib" && pwd)/libZR_Corvane_TAL.so" \
            << 'PY' || status=$?
import ctypes, sys, time
lib = ctypes.CDLL(sys.argv[1])
lib.Corvane_OpenUserStagesEditDialog.restype = ctypes.c_void_p
text = ctypes.create_string_buffer(10000)
ok = True

def check(call, result):
    global ok
    if not result:
        ok = False
        error = lib.Corvane_GetError(ident)
        lib.Corvane_TranslateError(error, text, len(text))
        print("  %s failed: %d, %s" % (call, error, text.value.decode()))
    return result

def lines(raw):
    return [l.rstrip() for l in raw.decode().split("\n") if l.strip()]

lib.Corvane_SetMaxNrOfControllers(2)
ident = lib.Corvane_ConnectRS232(6, 57600)
print("Corvane_ConnectRS232(6, 57600) ->", ident)
if ident < 0:
    sys.exit(1)
if check("Corvane_qVST", lib.Corvane_qVST(ident, text, len(text))):
    print("VST?     ", ", ".join(lines(text.value)))
print('Corvane_CST("AB", "LT-50-DC LT-100-STEP") ->',
      check("Corvane_CST", lib.Corvane_CST(ident, b"AB", b"LT-50-DC LT-100-STEP")))
if check("Corvane_qCST", lib.Corvane_qCST(ident, b"", text, len(text))):
    print("CST?     ", ", ".join(lines(text.value)))
print('Corvane_INI("AB") ->', check("Corvane_INI", lib.Corvane_INI(ident, b"AB")))

started = time.monotonic()
print('Corvane_REF("AB") ->', check("Corvane_REF", lib.Corvane_REF(ident, b"AB")))
busy = (ctypes.c_int * 2)()
while check("Corvane_IsReferencing", lib.Corvane_IsReferencing(ident, b"AB", busy)) \
        and any(busy) and time.monotonic() - started < 60:
    time.sleep(0.2)
done = (ctypes.c_int * 2)()
check("Corvane_IsReferenceOK", lib.Corvane_IsReferenceOK(ident, b"AB", done))
print("referenced: A %d, B %d after %.1f s" % (done[0], done[1], time.monotonic() - started))

if all(hasattr(lib, name) for name in ("Corvane_MOV", "Corvane_qPOS", "Corvane_IsMoving")):
    positions = (ctypes.c_double * 2)()
    targets = (ctypes.c_double * 2)(10.0, -20.0)
    moving = (ctypes.c_int * 1)()
    print("Corvane_MOV(\"AB\", {10, -20}) ->",
          check("Corvane_MOV", lib.Corvane_MOV(ident, b"AB", targets)))
    started = time.monotonic()
    while time.monotonic() - started < 30:
        check("Corvane_qPOS", lib.Corvane_qPOS(ident, b"AB", positions))
        print("  t=%4.1f s  A %8.3f mm  B %8.3f mm" % (time.monotonic() - started,
                                                      positions[0], positions[1]))
        if not check("Corvane_IsMoving", lib.Corvane_IsMoving(ident, b"", moving)) \
                or not moving[0]:
            break
        time.sleep(0.5)
    check("Corvane_qPOS", lib.Corvane_qPOS(ident, b"AB", positions))
    print("on target: A %.3f mm, B %.3f mm" % (positions[0], positions[1]))
else:
    print("(this library has no motion commands yet: MOV, POS? and IsMoving are skipped)")

print("Corvane_OpenUserStagesEditDialog ->", lib.Corvane_OpenUserStagesEditDialog(ident),
      " error", lib.Corvane_GetError(ident), "(no dialog: stagetool edits stage files)")
lib.Corvane_CloseConnection(ident)
sys.exit(0 if ok else 1)
PY
        [ "$status" -eq 0 ] || echo "stage demo ended with status $status"
    else
        echo "corvane-sim did not start"
    fi
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    if [ -n "$exit_command" ]; then trap -- "$exit_command" EXIT; else trap - EXIT; fi
    echo "\$ stagetool list corvaneuserstages2.dat"
    "$stagetool" list "$stages/corvaneuserstages2.dat"
    return 0
}
stages_demo
