# Camera library and its simulated board: installing the board, calling the library by name.
# Sourced by examples/demo.sh, which provides $build, $bin, $scratch and `section`.

section "Simulated camera board (lmvpci) and the camera library frame"
camera_dir="$scratch/camera"
mkdir -p "$camera_dir"

echo "\$ lmvpci-install $camera_dir   (driver service key and FPGA bit files)"
"$bin/lmvpci-install" "$camera_dir"
echo "\$ regtool export 'HKLM\\SYSTEM\\CurrentControlSet\\Services\\Lmvnt' | regtool cat -"
"$bin/regtool" export 'HKLM\SYSTEM\CurrentControlSet\Services\Lmvnt' | "$bin/regtool" cat -

if command -v python3 > /dev/null; then
    echo "\$ python3 (ctypes): selecting boards, time limits and the message log of liblmvntcam.so"
    (cd "$camera_dir" && python3 - "$(cd "$build/lib" && pwd)/liblmvntcam.so" << 'PY'
import ctypes, sys
cam = ctypes.CDLL(sys.argv[1])
cam.GET_COCTIME.restype = ctypes.c_float
board, driver_ms, image_ms = ctypes.c_int(), ctypes.c_int(), ctypes.c_int()
print("ENABLE_MESSAGE_LOG(0x1008, NULL) ->", cam.ENABLE_MESSAGE_LOG(0x1008, None))
print("SET_BOARD(10) ->", cam.SET_BOARD(10), "  (boards 0 to 9)")
print("SET_BOARD(3 | 0x100) ->", cam.SET_BOARD(3 | 0x100), "  (select without touching the board)")
cam.GET_BOARD(ctypes.byref(board))
print("GET_BOARD ->", board.value)
print("SET_TIMEOUT(1000, 2500) ->", cam.SET_TIMEOUT(1000, 2500), "  (1000 ms is below the floor)")
print("GET_TIMEOUT ->", cam.GET_TIMEOUT(ctypes.byref(driver_ms), ctypes.byref(image_ms)),
      "driver", driver_ms.value, "ms, image", image_ms.value, "ms")
print("GET_COCTIME ->", cam.GET_COCTIME())
print("_READ_REGISTRY_VALUES ->", cam._READ_REGISTRY_VALUES(), "  (no camera dialog module)")
print("ENABLE_MESSAGE_LOG(0, NULL) ->", cam.ENABLE_MESSAGE_LOG(0, None))
PY
    )
    echo "\$ cat lmvlog.txt"
    tr -d '\r' < "$camera_dir/lmvlog.txt"
else
    echo "(python3 not installed: the ctypes part is skipped)"
fi
