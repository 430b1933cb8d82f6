"""zrlmv: Python access to the motion library (zrlmv.motion) and the camera library
(zrlmv.camera). The raw ctypes layers are zrlmv.motion.library() and zrlmv.camera.library()."""

__version__ = "0.1.0"
