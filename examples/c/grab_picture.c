/* Takes one picture with camera board 0 (after lmvpci-install, the simulated board) and writes it
 * as picture.pgm, 12-bit grey values in 16-bit samples. */
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include <lmvntcam.h>

int main(void) {
    int mode = 0, trig = 0, x0 = 1, x1 = 9999, y0 = 1, y1 = 9999, hbin = 1, vbin = 1;
    int width = 0, height = 0, rc, length;
    char times[64] = "0,10,-1,-1"; /* a 10 ms exposure */
    unsigned short* image;
    if ((rc = SET_BOARD(0)) != 0 || (rc = SET_INIT(1)) != 0)
        return fprintf(stderr, "grab_picture: no board (%d); run lmvpci-install\n", rc), 1;
    length = (int)sizeof times;
    rc = TEST_COC(&mode, &trig, &x0, &x1, &y0, &y1, &hbin, &vbin, times, &length); /* fit sensor */
    if ((rc != 0 && rc != 103) || SET_COC(mode, trig, x0, x1, y0, y1, hbin, vbin, times) != 0 ||
        GET_IMAGE_SIZE(&width, &height) != 0 || RUN_COC(0) != 0)
        return fprintf(stderr, "grab_picture: the camera refused the settings\n"), SET_INIT(0), 1;
    image = malloc((size_t)width * (size_t)height * sizeof *image);
    for (time_t end = time(NULL) + 10; image && time(NULL) < end;)
        if ((rc = READ_IMAGE_12BIT(0, width, height, image)) != 100) break; /* 100: not yet */
    STOP_COC(0);
    SET_INIT(0);
    if (!image || rc != 0) return fprintf(stderr, "grab_picture: no picture (%d)\n", rc), 1;
    FILE* out = fopen("picture.pgm", "wb");
    if (!out) return perror("grab_picture: picture.pgm"), 1;
    fprintf(out, "P5\n%d %d\n4095\n", width, height);
    for (long i = 0; i < (long)width * height; ++i)
        fputc(image[i] >> 8, out), fputc(image[i] & 255, out);
    free(image);
    if (fclose(out) != 0) return perror("grab_picture: picture.pgm"), 1;
    printf("picture.pgm: %d x %d\n", width, height);
    return 0;
}
