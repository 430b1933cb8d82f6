# zr_man_page(TOOL): TOOL.1 made at build time from the program's --help and --version output
# (see HelpToMan.cmake), installed with the tools.
include_guard(GLOBAL)
function(zr_man_page tool)
    set(page ${CMAKE_BINARY_DIR}/man/${tool}.1)
    add_custom_command(
        OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 ${CMAKE_COMMAND}
                -DPROGRAM=$<TARGET_FILE:${tool}> -DNAME=${tool} -DOUTPUT=${page}
                -P ${PROJECT_SOURCE_DIR}/cmake/HelpToMan.cmake
        DEPENDS ${tool} ${PROJECT_SOURCE_DIR}/cmake/HelpToMan.cmake
        COMMENT "Writing the manual page ${tool}.1"
        VERBATIM)
    add_custom_target(man_${tool} ALL DEPENDS ${page})
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tools)
endfunction()
