# The interpreter and environment of the Python test folders (tests/python, tests/tango).
#
# zr_python_tests(RESULT MODULES m...): finds Debian's interpreter (another python3 first on PATH
# may lack Debian's numpy, pytest or tango) and checks that it imports the modules; RESULT is
# false, with a status line, when the tests must be left out. zr_python_test_env(OUT) gives the
# variables the tests need to find the build's programs and libraries; under the sanitizer build
# the interpreter, which is not instrumented, gets the runtimes preloaded with leak checking off
# (the interpreter keeps its memory to the end by design).
function(zr_python_tests result)
    cmake_parse_arguments(arg "" "" "MODULES" ${ARGN})
    set(${result} FALSE PARENT_SCOPE)
    if(NOT Python3_EXECUTABLE AND EXISTS /usr/bin/python3)
        set(Python3_EXECUTABLE /usr/bin/python3 CACHE FILEPATH "Interpreter of the Python tests")
    endif()
    find_package(Python3 COMPONENTS Interpreter)
    if(NOT Python3_FOUND)
        message(STATUS "${CMAKE_CURRENT_SOURCE_DIR} skipped: no Python 3 interpreter")
        return()
    endif()
    string(REPLACE ";" ", " modules "${arg_MODULES}")
    execute_process(COMMAND ${Python3_EXECUTABLE} -c "import ${modules}"
                    RESULT_VARIABLE missing OUTPUT_QUIET ERROR_QUIET)
    if(missing)
        message(STATUS "${CMAKE_CURRENT_SOURCE_DIR} skipped: ${Python3_EXECUTABLE} lacks ${modules}")
        return()
    endif()
    set(Python3_EXECUTABLE ${Python3_EXECUTABLE} PARENT_SCOPE)
    set(${result} TRUE PARENT_SCOPE)
endfunction()

function(zr_python_test_env out)
    set(env
        ZRLMV_SOURCE_DIR=${PROJECT_SOURCE_DIR}
        ZRLMV_TEST_BIN=$<TARGET_FILE_DIR:corvane-sim>
        ZRLMV_TEST_STAGES=${CMAKE_BINARY_DIR}/stages/zrstages2.dat
        ZRLMV_MOTION_LIBRARY=$<TARGET_FILE:ZR_Corvane_TAL>
        ZRLMV_CAMERA_LIBRARY=$<TARGET_FILE:lmvntcam>
        ZRLMV_PYTHON=${Python3_EXECUTABLE}
        ASAN_OPTIONS=detect_leaks=0
        PYTHONDONTWRITEBYTECODE=1)
    if(ZR_SANITIZE)
        set(preload "")
        foreach(runtime libasan.so libubsan.so)
            execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                            OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
            list(APPEND preload ${path})
        endforeach()
        list(JOIN preload " " preload)
        list(APPEND env "LD_PRELOAD=${preload}")
    endif()
    set(${out} "${env}" PARENT_SCOPE)
endfunction()
