# Debian packages (make deb): a runtime package per library, the setup dialog module on its own
# (it alone needs the GUI toolkit), one -dev package with headers, pkg-config and CMake files,
# and one tools package with the simulators. Built from a tree configured for /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zr-corvane-lumivert)
set(CPACK_PACKAGE_VENDOR "corvane-lumivert developers")
set(CPACK_PACKAGE_CONTACT "corvane-lumivert developers <devel@zr-corvane.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The packages install where the tree was configured to (make deb configures /usr).
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
# The tools link the libraries of the other packages; dpkg-shlibdeps finds them in the build.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Motion-controller and camera libraries with simulators")
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_COMPONENTS_ALL motion motion_dialog camera dev tools)

set(zr_motion_pkg libzr-corvane-tal${ZR_MOTION_SOVERSION})
set(zr_camera_pkg liblmvntcam${ZR_CAMERA_SOVERSION})
set(CPACK_DEBIAN_MOTION_PACKAGE_NAME ${zr_motion_pkg})
set(CPACK_DEBIAN_MOTION_DESCRIPTION "Corvane motion-controller library (TAL interface), headless")
set(CPACK_DEBIAN_MOTION_PACKAGE_RECOMMENDS "${zr_motion_pkg}-dialog")
set(CPACK_DEBIAN_MOTION_DIALOG_PACKAGE_NAME ${zr_motion_pkg}-dialog)
set(CPACK_DEBIAN_MOTION_DIALOG_DESCRIPTION "Interface setup dialog of the Corvane motion library")
set(CPACK_DEBIAN_MOTION_DIALOG_PACKAGE_DEPENDS "${zr_motion_pkg} (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_CAMERA_PACKAGE_NAME ${zr_camera_pkg})
set(CPACK_DEBIAN_CAMERA_DESCRIPTION "Camera library for the LMV frame grabber board")
set(CPACK_DEBIAN_CAMERA_PACKAGE_SUGGESTS zr-corvane-lumivert-tools)
set(CPACK_DEBIAN_DEV_PACKAGE_NAME zr-corvane-lumivert-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_DESCRIPTION "Headers, pkg-config and CMake files of both libraries")
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS
    "${zr_motion_pkg} (= ${PROJECT_VERSION}), ${zr_camera_pkg} (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME zr-corvane-lumivert-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS
    "${zr_motion_pkg} (= ${PROJECT_VERSION}), ${zr_camera_pkg} (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_TOOLS_DESCRIPTION
    "Tools and simulators: regtool, stagetool, corvane-sim, lmvcam-grab, lmvpci-install")
include(CPack)
