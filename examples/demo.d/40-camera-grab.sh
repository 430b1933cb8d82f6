# A picture from the simulated camera: lmvcam-grab initialises the board (SET_INIT 1), loads a
# 10 ms long-exposure operation code (TEST_COC, SET_COC), starts the camera (RUN_COC), reads one
# 12-bit picture (READ_IMAGE_12BIT), sets the B/W table from its extremes (AUTO_MINMAX mode 1),
# converts it (CONVERT_BUFFER_12TO8) and writes a PNG file.
# Sourced by examples/demo.sh, which provides $build, $bin, $scratch and `section`.

section "Camera picture with lmvcam-grab"
grab_dir="$scratch/grab"
"$bin/lmvpci-install" "$grab_dir" > /dev/null
grab_png="$(cd "$build" && pwd)/demo-camera.png"
grab_bin="$(cd "$bin" && pwd)"
echo "\$ lmvcam-grab --board 0 --exposure 10 --output $grab_png"
# The bit files are found in the current folder, as the system's file search finds them.
(cd "$grab_dir" && "$grab_bin/lmvcam-grab" --board 0 --exposure 10 --output "$grab_png")
echo "The picture is in $grab_png"
