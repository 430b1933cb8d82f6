# Installation as a Debian user expects it: versioned libraries, headers, tools with man pages,
# the shipped data under share/, pkg-config files, CMake packages and Debian packages (CPack).
# Installed programs find the installed libraries through their RUNPATH ($ORIGIN/../<libdir>).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)
include(${CMAKE_CURRENT_LIST_DIR}/ManPage.cmake)

# The motion library keeps the version line it reports; its soname follows the major number.
# The camera library's Linux interface starts at 1: liblmvntcam.so.1.
file(STRINGS ${PROJECT_SOURCE_DIR}/motion/controller/CorvaneVersion.h zr_version_lines
     REGEX "kCorvaneVersion(Major|Minor|Release|Build) = [0-9]+;")
set(ZR_MOTION_VERSION "")
foreach(line ${zr_version_lines})
    string(REGEX REPLACE ".* = ([0-9]+);.*" "\\1" number "${line}")
    list(APPEND ZR_MOTION_VERSION ${number})
endforeach()
list(GET ZR_MOTION_VERSION 0 ZR_MOTION_SOVERSION)
list(JOIN ZR_MOTION_VERSION "." ZR_MOTION_VERSION)
set(ZR_CAMERA_VERSION 1.0.0)
set(ZR_CAMERA_SOVERSION 1)

set(ZR_MOTION_DATADIR ${CMAKE_INSTALL_DATADIR}/zr-corvane-tal)
set(ZR_CAMERA_DATADIR ${CMAKE_INSTALL_DATADIR}/lmvntcam)
set(ZR_INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")

foreach(lib ZR_Corvane_TAL lmvntcam)
    set_target_properties(${lib} PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES
            "$<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>;$<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>")
endforeach()
set_target_properties(ZR_Corvane_TAL PROPERTIES VERSION ${ZR_MOTION_VERSION}
                                                SOVERSION ${ZR_MOTION_SOVERSION})
set_target_properties(lmvntcam PROPERTIES VERSION ${ZR_CAMERA_VERSION}
                                          SOVERSION ${ZR_CAMERA_SOVERSION})

# The maker database installed with the library is found from the library's own folder.
file(RELATIVE_PATH zr_stage_data_from_lib ${CMAKE_INSTALL_FULL_LIBDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/zr-corvane-tal/stages)
target_compile_definitions(motion_stages PRIVATE ZR_STAGE_DATA_FROM_LIBDIR="${zr_stage_data_from_lib}")

# ---- libraries and headers -------------------------------------------------------------------
install(TARGETS ZR_Corvane_TAL EXPORT ZRCorvaneTALTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT motion NAMELINK_COMPONENT dev)
install(TARGETS lmvntcam EXPORT LmvntcamTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT camera NAMELINK_COMPONENT dev)
# The setup dialog, the one part that needs a GUI toolkit, in a package of its own.
install(TARGETS ZR_Corvane_TAL_dialog LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        COMPONENT motion_dialog)
# The camera's LUT dialogs (X11), beside the library.
install(TARGETS lmvlutdlg LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT camera)
# The simulated camera board: the driver backend the camera library loads from its own folder.
install(TARGETS lmvpci_module LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT tools)
install(FILES ${PROJECT_SOURCE_DIR}/include/ZR_Corvane_TAL.h ${PROJECT_SOURCE_DIR}/include/lmvntcam.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)

# ---- data ------------------------------------------------------------------------------------
install(FILES ${CMAKE_BINARY_DIR}/stages/zrstages2.dat
        DESTINATION ${ZR_MOTION_DATADIR}/stages COMPONENT motion)
install(FILES ${PROJECT_SOURCE_DIR}/data/stages/zrstages2.txt
              ${PROJECT_SOURCE_DIR}/data/stages/corvane-sim-stages.conf
              ${PROJECT_SOURCE_DIR}/data/stages/corvane-sim-rotary.conf
              ${PROJECT_SOURCE_DIR}/simulators/corvane/example-chain.conf
        DESTINATION ${ZR_MOTION_DATADIR}/corvane-sim COMPONENT tools)

# ---- tools -----------------------------------------------------------------------------------
set(ZR_TOOLS regtool stagetool corvane-sim lmvcam-grab lmvpci-install corvane-tal)
foreach(tool ${ZR_TOOLS})
    if(TARGET ${tool})
        set_target_properties(${tool} PROPERTIES INSTALL_RPATH "${ZR_INSTALL_RPATH}")
        install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
        zr_man_page(${tool})
    endif()
endforeach()

# ---- pkg-config and CMake packages -------------------------------------------------------------
set(ZR_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
# Relative to the .pc file, so an installation moved elsewhere (cmake --install --prefix) holds.
file(RELATIVE_PATH ZR_PREFIX_FROM_PC ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" ZR_PREFIX_FROM_PC "${ZR_PREFIX_FROM_PC}")
# Programs built against a private prefix run without LD_LIBRARY_PATH; the system paths need no
# run path.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(ZR_PC_RPATH "")
else()
    set(ZR_PC_RPATH " -Wl,-rpath,\${libdir}")
endif()

function(zr_package_files pc_name pc_description lib version cmake_name)
    set(ZR_PC_NAME ${pc_name})
    set(ZR_PC_DESCRIPTION ${pc_description})
    set(ZR_PC_LIB ${lib})
    set(ZR_PC_VERSION ${version})
    configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/templates/library.pc.in
                   ${CMAKE_BINARY_DIR}/pkgconfig/${pc_name}.pc @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/pkgconfig/${pc_name}.pc DESTINATION ${ZR_PKGCONFIG_DIR}
            COMPONENT dev)
    set(dir ${CMAKE_INSTALL_LIBDIR}/cmake/${cmake_name})
    install(EXPORT ${cmake_name}Targets NAMESPACE ${cmake_name}:: DESTINATION ${dir}
            COMPONENT dev)
    set(ZR_CMAKE_NAME ${cmake_name})
    configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/templates/PackageConfig.cmake.in
                   ${CMAKE_BINARY_DIR}/cmake/${cmake_name}Config.cmake @ONLY)
    write_basic_package_version_file(${CMAKE_BINARY_DIR}/cmake/${cmake_name}ConfigVersion.cmake
                                     VERSION ${version} COMPATIBILITY SameMajorVersion)
    install(FILES ${CMAKE_BINARY_DIR}/cmake/${cmake_name}Config.cmake
                  ${CMAKE_BINARY_DIR}/cmake/${cmake_name}ConfigVersion.cmake
            DESTINATION ${dir} COMPONENT dev)
endfunction()

zr_package_files(zr-corvane-tal "Corvane motion controllers (TAL interface)" ZR_Corvane_TAL
                 ${ZR_MOTION_VERSION} ZRCorvaneTAL)
zr_package_files(lmvntcam "Cameras on the LMV frame grabber board" lmvntcam ${ZR_CAMERA_VERSION}
                 Lmvntcam)
