# Run at install time: renders the manual page of TARNWELL_MANPAGE_PROGRAM
# from its --help and --version into TARNWELL_MANPAGE_OUTPUT, compressed.
# help2man dates the page from SOURCE_DATE_EPOCH when it is set, and gzip -n
# stores no name or time, so a release build gives the same bytes anywhere.
find_program(TARNWELL_HELP2MAN help2man)
find_program(TARNWELL_GZIP gzip)
if(NOT TARNWELL_HELP2MAN OR NOT TARNWELL_GZIP)
  message(FATAL_ERROR "Installing the manual page needs help2man and gzip "
                      "(sudo apt-get install help2man gzip).")
endif()

set(page "${TARNWELL_MANPAGE_OUTPUT}.roff")
execute_process(
  COMMAND ${TARNWELL_HELP2MAN} --no-info --section=1
          "--name=derive a password from two keywords" --output=${page}
          ${TARNWELL_MANPAGE_PROGRAM}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man could not render the manual page (${status}).")
endif()
execute_process(COMMAND ${TARNWELL_GZIP} -n -9 -c ${page}
                OUTPUT_FILE ${TARNWELL_MANPAGE_OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip could not compress the manual page (${status}).")
endif()
