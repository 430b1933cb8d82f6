/* motion-demo: connects to a daisy chain of Corvane boards, prints the identification, the
 * version texts of the boards and the axes found, and closes the connection.
 *
 * usage: motion-demo [port [baud [addresses]]]
 *   port       COM port number n (default 1); on Linux WINPORT_COM<n> names the device
 *   baud       baud rate (default 57600)
 *   addresses  daisy-chain addresses to scan, from 0 (default 16) */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "ZR_Corvane_TAL.h"

static int number(const char* text, int fallback) {
    char* end = NULL;
    long value;
    if (!text) return fallback;
    value = strtol(text, &end, 10);
    return (end && *end == '\0' && end != text) ? (int)value : fallback;
}

/* Prints the failed call with the controller's error number and its text. */
static void report(int id, const char* call) {
    char text[256];
    int error = Corvane_GetError(id);
    if (!Corvane_TranslateError(error, text, (int)sizeof text)) strcpy(text, "?");
    fprintf(stderr, "motion-demo: %s failed: error %d, %s\n", call, error, text);
}

/* Prints text with every line after the first indented under the label. */
static void show(const char* label, const char* text) {
    const char* line = text;
    int first = 1;
    while (*line) {
        const char* end = strchr(line, '\n');
        int length = end ? (int)(end - line) : (int)strlen(line);
        if (length > 0 && line[length - 1] == ' ') --length; /* lines end in " \n" */
        if (length > 0) {
            printf("%-8s %.*s\n", first ? label : "", length, line);
            first = 0;
        }
        if (!end) break;
        line = end + 1;
    }
}

int main(int argc, char** argv) {
    int port = number(argc > 1 ? argv[1] : NULL, 1);
    int baud = number(argc > 2 ? argv[2] : NULL, 57600);
    int scan = number(argc > 3 ? argv[3] : NULL, 16);
    char text[4096];
    int id, ok = 1;

    printf("Corvane_SetMaxNrOfControllers(%d) -> %d\n", scan, Corvane_SetMaxNrOfControllers(scan));
    id = Corvane_ConnectRS232(port, baud);
    printf("Corvane_ConnectRS232(%d, %d) -> %d\n", port, baud, id);
    if (id < 0) {
        fprintf(stderr, "motion-demo: no controller on COM%d (see the library's log)\n", port);
        return 1;
    }

    if (Corvane_qIDN(id, text, (int)sizeof text))
        show("*IDN?", text);
    else
        ok = 0, report(id, "Corvane_qIDN");
    if (Corvane_qVER(id, text, (int)sizeof text))
        show("VER?", text);
    else
        ok = 0, report(id, "Corvane_qVER");
    if (Corvane_qSAI_ALL(id, text, (int)sizeof text))
        printf("%-8s %s (%d axes)\n", "SAI? ALL", text, (int)strlen(text));
    else
        ok = 0, report(id, "Corvane_qSAI_ALL");
    printf("Corvane_GetError(%d) -> %d\n", id, Corvane_GetError(id));

    Corvane_CloseConnection(id);
    printf("Corvane_CloseConnection(%d); Corvane_IsConnected(%d) -> %d\n", id, id,
           Corvane_IsConnected(id));
    return ok ? 0 : 1;
}
