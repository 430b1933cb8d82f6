/* Starts a ring recording on board 0 in a thread of its own and returns from main while it runs:
 * the library's unload at exit has to end the recording and free the recorder's memory. Prints
 * whether the recording was running. */
#include <pthread.h>
#include <stdio.h>
#include <time.h>

#include "lmvntcam.h"

static void* record(void* unused) {
    (void)unused;
    (void)RUN_DMA(1, 3, 1);
    return NULL;
}

static unsigned frames_stored(void) {
    unsigned frames = 0, wraps = 0, dropped = 0, errors = 0;
    (void)GET_DMA_COUNTERS(&frames, &wraps, &dropped, &errors);
    return frames;
}

int main(void) {
    int images = 8, count = 3;
    (void)SET_BOARD(0);
    const int init = SET_INIT(1);
    if (init != 0 && init != 120) return 2;
    if (ALLOC_RECORDER(&images, 640 * 480) != 0 || SET_BUFFER_SIZE(&count, 640, 480) != 0 ||
        RUN_COC(0) != 0)
        return 3;
    pthread_t thread;
    if (pthread_create(&thread, NULL, record, NULL) != 0) return 4;
    const struct timespec ms = {0, 1000000};
    for (int i = 0; i < 20000 && frames_stored() < 2; ++i) nanosleep(&ms, NULL);
    printf("recording %d\n", frames_stored() >= 2);
    fflush(stdout);
    return 0;
}
