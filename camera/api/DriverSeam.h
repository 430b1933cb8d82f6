/* The driver seam: the only way the camera library reaches a board. A driver backend is a table
 * of C functions, so it can live in a loadable module (the simulated board liblmvpci.so, or a
 * bridge to a real driver) or be linked into a program.
 *
 * A loadable backend exports one function, `lmv_driver_backend`, returning its table. The camera
 * library loads the module named by the environment variable LMV_DRIVER (a path) or, without
 * it, liblmvpci.so from its own folder, then from the loader path.
 *
 * Requests are asynchronous like overlapped I/O: the caller passes an `lmv_seam_request` that
 * stays valid until its completion has run. The backend calls `complete` exactly once for every
 * accepted request (possibly before the submitting function returns, from any thread). A submit
 * function that returns non-zero has not accepted the request and never completes it. After
 * `cancel` returns, every cancelled request has been completed (with LMV_SEAM_CANCELLED) and the
 * backend no longer touches its buffers. */
#ifndef LMV_DRIVER_SEAM_H
#define LMV_DRIVER_SEAM_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define LMV_SEAM_VERSION 1u

/* System error codes as a driver reports them. */
enum {
    LMV_SEAM_OK = 0,
    LMV_SEAM_INVALID_FUNCTION = 1, /* unknown request code, or a read without a read request */
    LMV_SEAM_NOT_FOUND = 2,        /* no such device */
    LMV_SEAM_GEN_FAILURE = 31,     /* the device failed the request */
    LMV_SEAM_INVALID_PARAMETER = 87,
    LMV_SEAM_BUSY = 170, /* the device is open in another process */
    LMV_SEAM_NOT_ENOUGH_MEMORY = 8,
    LMV_SEAM_CANCELLED = 995 /* the request was cancelled */
};

typedef struct lmv_seam_device lmv_seam_device; /* opaque, owned by the backend */

typedef struct lmv_seam_request lmv_seam_request;
struct lmv_seam_request {
    /* status: LMV_SEAM_OK or a system error; bytes: bytes written to the output buffer. */
    void (*complete)(lmv_seam_request* request, uint32_t status, uint32_t bytes);
    void* context; /* free for the caller */
};

typedef struct lmv_driver_seam {
    uint32_t version; /* LMV_SEAM_VERSION */
    /* Opens "\\.\LMVPCI<n>". Returns 0 and the device, or a system error (LMV_SEAM_BUSY when
     * another process holds the board, LMV_SEAM_NOT_FOUND when there is no such board). */
    uint32_t (*open)(const char* name, lmv_seam_device** device);
    /* Device-control request by code; `in` and `out` may be null when their size is 0. */
    uint32_t (*ioctl)(lmv_seam_device* device, uint32_t code, const void* in, uint32_t in_size,
                      void* out, uint32_t out_size, lmv_seam_request* request);
    /* Reads a picture announced by the read-picture request into `buffer`. */
    uint32_t (*read)(lmv_seam_device* device, void* buffer, uint32_t size,
                     lmv_seam_request* request);
    /* Cancels one pending request, or every pending request of the device when null. */
    void (*cancel)(lmv_seam_device* device, lmv_seam_request* request);
    /* Cancels what is pending and releases the device; 0 or a system error. */
    uint32_t (*close)(lmv_seam_device* device);
} lmv_driver_seam;

typedef const lmv_driver_seam* (*lmv_driver_backend_fn)(void);

#ifdef __cplusplus
}
#endif

#endif /* LMV_DRIVER_SEAM_H */
