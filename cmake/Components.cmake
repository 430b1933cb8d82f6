# Each source folder is one static component; the shared libraries are built from the objects of
# every component of their family, so exported functions never depend on being referenced.

# zr_component(NAME FAMILY <motion|camera|none> [DEPS libs...] [SOURCES files...])
# Without SOURCES the folder's *.cpp files are taken.
function(zr_component name)
    cmake_parse_arguments(C "" "FAMILY" "DEPS;SOURCES" ${ARGN})
    if(NOT C_SOURCES)
        file(GLOB C_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    endif()
    add_library(${name} STATIC ${C_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
    target_link_libraries(${name} PUBLIC ${C_DEPS})
    if(C_FAMILY AND NOT C_FAMILY STREQUAL "none")
        set_property(GLOBAL APPEND PROPERTY ZR_${C_FAMILY}_COMPONENTS ${name})
    endif()
endfunction()

# Adds every existing sub-folder (with a CMakeLists.txt) of the current folder, in the given order.
function(zr_add_subdirs)
    foreach(dir ${ARGN})
        if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
            add_subdirectory(${dir})
        endif()
    endforeach()
endfunction()

# zr_shared_library(NAME FAMILY EXPORTS file [SOURCES files...] [DEPS libs...])
# Builds lib<NAME>.so from the family's components; only the names in the export list are visible.
function(zr_shared_library name)
    cmake_parse_arguments(L "" "FAMILY;EXPORTS" "SOURCES;DEPS" ${ARGN})
    get_property(components GLOBAL PROPERTY ZR_${L_FAMILY}_COMPONENTS)
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}.map)
    file(STRINGS ${L_EXPORTS} lines REGEX "^[0-9]+[ \t]+[A-Za-z_]")
    set(globals "")
    foreach(line ${lines})
        string(REGEX REPLACE "^[0-9]+[ \t]+([A-Za-z_0-9]+).*" "\\1" sym "${line}")
        string(APPEND globals "        ${sym};\n")
    endforeach()
    if(globals)
        set(globals "    global:\n${globals}")
    endif()
    file(CONFIGURE OUTPUT ${script} CONTENT "{\n${globals}    local: *;\n};\n")
    if(NOT L_SOURCES)
        set(L_SOURCES ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
        file(CONFIGURE OUTPUT ${L_SOURCES} CONTENT "// components carry the code\n")
    endif()
    set(objects "")
    foreach(c ${components})
        list(APPEND objects "$<TARGET_OBJECTS:${c}>")
    endforeach()
    add_library(${name} SHARED ${L_SOURCES} ${objects})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/include)
    # The components' own dependencies (winport, system libraries) come with them.
    target_link_libraries(${name} PRIVATE ${components} ${L_DEPS})
    target_link_options(${name} PRIVATE -Wl,--version-script=${script} -Wl,--no-undefined)
    set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${L_EXPORTS})
    set_target_properties(${name} PROPERTIES ZR_EXPORTS ${L_EXPORTS})
endfunction()

# zr_test(NAME SOURCES files... [LIBS libs...] [LABELS ...])
function(zr_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include
                                               ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main
                                          Threads::Threads)
    target_compile_definitions(${name} PRIVATE ZR_BUILD_DIR="${CMAKE_BINARY_DIR}"
                                               ZR_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES LABELS "${T_LABELS}"
                         DISCOVERY_TIMEOUT 60)
endfunction()
