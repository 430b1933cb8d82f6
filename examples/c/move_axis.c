/* Moves axis A of a Corvane chain 5 mm: corvane-sim --config .../corvane-sim-stages.conf --com 1
 * prints WINPORT_COM1=/dev/pts/N; run this program with that variable set. */
#include <stdio.h>
#include <time.h>

#include <ZR_Corvane_TAL.h>

static int fail(int id, const char* call) {
    char text[256] = "";
    int error = Corvane_GetError(id);
    Corvane_TranslateError(error, text, (int)sizeof text);
    fprintf(stderr, "move_axis: %s failed: error %d, %s\n", call, error, text);
    return 1;
}

int main(void) {
    const ZR_BOOL off = 0, on = 1;
    const double zero = 0.0, target = 5.0;
    double position = 0.0;
    ZR_BOOL moving = 1;
    int id;
    Corvane_SetMaxNrOfControllers(1); /* scan address 0 only: a full scan takes seconds */
    id = Corvane_ConnectRS232(1, 57600);
    if (id < 0) return fprintf(stderr, "move_axis: no controller on COM1\n"), 1;
    if (!Corvane_CST(id, "A", "LT-50-DC")) return fail(id, "Corvane_CST");
    if (!Corvane_INI(id, "A")) return fail(id, "Corvane_INI");
    if (!Corvane_RON(id, "A", &off) || !Corvane_POS(id, "A", &zero)) return fail(id, "Corvane_POS");
    if (!Corvane_SVO(id, "A", &on) || !Corvane_MOV(id, "A", &target))
        return fail(id, "Corvane_MOV");
    for (time_t end = time(NULL) + 30; moving && time(NULL) < end;)
        if (!Corvane_IsMoving(id, "A", &moving)) return fail(id, "Corvane_IsMoving");
    if (!Corvane_qPOS(id, "A", &position)) return fail(id, "Corvane_qPOS");
    printf("axis A at %.3f mm\n", position);
    Corvane_CloseConnection(id);
    return moving ? 1 : 0;
}
