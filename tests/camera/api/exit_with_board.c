/* Initialises board 0 (or tries to) and returns from main without releasing it: the library's
 * unload at exit has to release the board on its own. Prints SET_INIT's result. */
#include <stdio.h>

#include "lmvntcam.h"

int main(void) {
    (void)SET_BOARD(0);
    printf("SET_INIT(1) = %d\n", SET_INIT(1));
    return 0;
}
