# Makes a manual page with help2man from a program's --help and --version, so
# that the page says what the program says. Run with cmake -P:
#   -DPROGRAM=path -DNAME=page-name -DSUMMARY="one line" -DINCLUDE=file.h2m
#   -DSUBCOMMANDS=ON|OFF -DWORK=folder -DOUTPUT=page.1.gz
# With SUBCOMMANDS, every subcommand that the top-level --help lists (the
# lines after "Subcommands:") gets its own --help under SUBCOMMANDS.
cmake_minimum_required(VERSION 3.25)

find_program(HELP2MAN help2man REQUIRED)
find_program(GZIP gzip REQUIRED)
file(MAKE_DIRECTORY "${WORK}")
set(include_file "${WORK}/${NAME}.h2m")
file(READ "${INCLUDE}" sections)

# Text for groff, shown as it is: backslashes printed as such, a leading dot
# or quote escaped so that no line is read as a request, and "-" a minus sign
# so that options copied from the page work.
function(as_preformatted text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

if(SUBCOMMANDS)
  execute_process(COMMAND "${PROGRAM}" --help OUTPUT_VARIABLE top RESULT_VARIABLE code)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --help failed (${code})")
  endif()
  string(REGEX MATCH "Subcommands:\n(( +[a-z0-9-]+ [^\n]*\n)+)" listed "${top}")
  string(REGEX MATCHALL "\n  +[a-z0-9-]+ " names "\n${CMAKE_MATCH_1}")
  string(APPEND sections "[SUBCOMMANDS]\n")
  foreach(name IN LISTS names)
    string(STRIP "${name}" name)
    execute_process(COMMAND "${PROGRAM}" ${name} --help OUTPUT_VARIABLE help RESULT_VARIABLE code)
    if(NOT code EQUAL 0)
      message(FATAL_ERROR "${PROGRAM} ${name} --help failed (${code})")
    endif()
    as_preformatted("${help}" help)
    string(APPEND sections ".SS ${name}\n.nf\n${help}.fi\n")
  endforeach()
endif()
file(WRITE "${include_file}" "${sections}")

set(page "${WORK}/${NAME}.1")
execute_process(
  COMMAND "${HELP2MAN}" --no-info --section=1 "--name=${SUMMARY}" "--include=${include_file}"
          "--output=${page}" "${PROGRAM}"
  RESULT_VARIABLE code)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "help2man failed on ${PROGRAM} (${code})")
endif()
# -n: no name or time stamp in the archive, so that the package is reproducible.
execute_process(COMMAND "${GZIP}" -9n -c "${page}" OUTPUT_FILE "${OUTPUT}" RESULT_VARIABLE code)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "gzip failed on ${page}")
endif()
