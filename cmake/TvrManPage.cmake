# SPDX-License-Identifier: MIT
# Writes the gzip-compressed manual page of PROGRAM from its --help; the page is headed with the
# program's file name and VERSION (the server's --version names the product, not the program):
#   cmake -DHELP2MAN=... -DPROGRAM=... -DVERSION=... -DSUMMARY=... -DOUTPUT=page.1.gz -P TvrManPage.cmake
# A desktop program answers --help without a display on Qt's offscreen platform; the time-out
# keeps a program that opens a window instead from holding the build. help2man reads the help in
# a UTF-8 locale (in the build's C locale it writes "?" for every Japanese character), and
# preconv turns each character beyond ASCII into groff's \[uXXXX], so the page shows them
# whatever encoding man assumes for an installed page.
string(REGEX REPLACE "\\.gz$" "" page "${OUTPUT}")
get_filename_component(folder "${page}" DIRECTORY)
get_filename_component(name "${PROGRAM}" NAME)
file(MAKE_DIRECTORY "${folder}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${HELP2MAN} --no-info --section=1
          "--name=${SUMMARY}" "--version-string=${name} ${VERSION}" --locale=C.UTF-8
          "--output=${page}" "${PROGRAM}"
  TIMEOUT 60
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "help2man could not make the manual page of ${PROGRAM}: ${result}")
endif()
find_program(PRECONV preconv REQUIRED)
execute_process(COMMAND ${PRECONV} -e UTF-8 "${page}" OUTPUT_VARIABLE text COMMAND_ERROR_IS_FATAL ANY)
# preconv's first line names its input file for groff's messages; the page needs none.
string(REGEX REPLACE "^\\.lf [^\n]*\n" "" text "${text}")
file(WRITE "${page}" "${text}")
execute_process(COMMAND gzip -9nf "${page}" COMMAND_ERROR_IS_FATAL ANY)
