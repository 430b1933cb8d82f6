# cmake -DPROGRAM=path -DNAME=name -DOUTPUT=file -P HelpToMan.cmake
# A manual page from the program's --help text: "Usage:" lines make the synopsis, the line after
# them the one-line description, the rest the description, kept as it is laid out.
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE help_rc)
execute_process(COMMAND ${PROGRAM} --version OUTPUT_VARIABLE version RESULT_VARIABLE version_rc)
if(NOT help_rc EQUAL 0)
    message(FATAL_ERROR "${NAME}: --help failed (${help_rc})")
endif()
if(NOT version_rc EQUAL 0)
    set(version "${NAME}")
endif()
string(STRIP "${version}" version)

function(roff_escape text out)
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

string(REPLACE ";" "\\;" help "${help}")
string(REPLACE "\n" ";" lines "${help}")
set(synopsis "")
set(summary "")
set(body "")
set(state usage)
foreach(line IN LISTS lines)
    if(state STREQUAL usage AND line MATCHES "^([Uu]sage:|       )[ ]*(.*)$")
        string(APPEND synopsis "${CMAKE_MATCH_2}\n")
    elseif(state STREQUAL usage)
        set(summary "${line}")
        set(state body)
    else()
        string(APPEND body "${line}\n")
    endif()
endforeach()
string(STRIP "${body}" body)
roff_escape("${synopsis}" synopsis)
roff_escape("${summary}" summary)
roff_escape("${body}" body)
roff_escape("${version}" version)
string(TOUPPER "${NAME}" title)
file(WRITE ${OUTPUT}
     ".TH ${title} 1 \"\" \"${version}\" \"User Commands\"\n"
     ".SH NAME\n${NAME} \\- ${summary}\n"
     ".SH SYNOPSIS\n.nf\n${synopsis}.fi\n"
     ".SH DESCRIPTION\n.nf\n${body}\n.fi\n"
     ".SH EXIT STATUS\n0 success, 1 failure (the message says what to do), 2 usage error.\n")
