/* motion-demo: connects to a daisy chain of Corvane boards, prints the identification, the
 * version texts of the boards and the axes found, and closes the connection. It links only the
 * library, so it parses its own options; it behaves like the project's other programs. */
#include <getopt.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "ZR_Corvane_TAL.h"

static const char usage[] =
    "Usage: motion-demo [options] [PORT [BAUD [ADDRESSES]]]\n"
    "Connects to a chain of Corvane boards and prints what the library found.\n"
    "\n"
    "  -p, --port N        COM port number n (default 1); WINPORT_COM<n> names the device\n"
    "  -b, --baud N        baud rate (default 57600)\n"
    "  -a, --addresses N   daisy-chain addresses to scan, from 0 (default 16)\n"
    "  -h, --help          print this text and exit\n"
    "      --version       print the version and exit\n";

/* A whole number from 1 to INT_MAX into *value; 0 when text is none such. */
static int number(const char* text, int* value) {
    char* end = NULL;
    long v = strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < 1 || v > INT_MAX) return 0;
    *value = (int)v;
    return 1;
}

static int usage_error(const char* what, const char* text) {
    fprintf(stderr, "motion-demo: %s%s\nTry 'motion-demo --help' for more information.\n", what,
            text ? text : "");
    return 2;
}

/* Reads the options into settings[0..2] (port, baud, addresses); an exit code when done. */
static int parse(int argc, char** argv, int* settings) {
    static const struct option options[] = {
        {"port", required_argument, NULL, 'p'},      {"baud", required_argument, NULL, 'b'},
        {"addresses", required_argument, NULL, 'a'}, {"help", no_argument, NULL, 'h'},
        {"version", no_argument, NULL, 'V'},         {NULL, 0, NULL, 0}};
    static const char letters[] = "pba";
    int c, i;
    opterr = 0;
    while ((c = getopt_long(argc, argv, ":p:b:a:h", options, NULL)) != -1) {
        const char* at = c ? strchr(letters, c) : NULL;
        if (c == 'h') return fputs(usage, stdout), 0;
        if (c == 'V') return printf("motion-demo (corvane-lumivert) %s\n", ZR_DEMO_VERSION), 0;
        if (c == ':') return usage_error("missing value for ", argv[optind - 1]);
        if (!at) return usage_error("unknown option ", argv[optind - 1]);
        if (!number(optarg, &settings[at - letters])) return usage_error("not a number: ", optarg);
    }
    for (i = 0; optind < argc; ++i, ++optind)
        if (i > 2 || !number(argv[optind], &settings[i]))
            return usage_error("unexpected argument ", argv[optind]);
    return -1;
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
    int settings[3] = {1, 57600, 16};
    int done = parse(argc, argv, settings);
    int port = settings[0], baud = settings[1], scan = settings[2];
    char text[4096];
    int id, ok = 1;

    if (done >= 0) return done;
    setvbuf(stdout, NULL, _IOLBF, BUFSIZ);
    /* a long scan says which address it probes (a user's own setting stands) */
    setenv("ZR_CORVANE_SCAN_PROGRESS", "1", 0);
    printf("Corvane_SetMaxNrOfControllers(%d) -> %d\n", scan, Corvane_SetMaxNrOfControllers(scan));
    id = Corvane_ConnectRS232(port, baud);
    printf("Corvane_ConnectRS232(%d, %d) -> %d\n", port, baud, id);
    if (id < 0) {
        fprintf(
            stderr,
            "motion-demo: no controller on COM%d: start corvane-sim (it prints WINPORT_COM<n>=...)"
            " and set that variable, or name the port of a real chain; the library's log says"
            " more\n",
            port);
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
