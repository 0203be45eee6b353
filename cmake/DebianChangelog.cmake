# Run at install time: writes the changelog that a native Debian package
# carries, one entry for TARNWELL_CHANGELOG_VERSION signed by
# TARNWELL_CHANGELOG_MAINTAINER, compressed into TARNWELL_CHANGELOG_OUTPUT.
# The entry is dated from SOURCE_DATE_EPOCH when it is set (string(TIMESTAMP)
# reads it), and gzip -n stores no name or time, so a release gives the same
# bytes anywhere.
find_program(TARNWELL_GZIP gzip)
if(NOT TARNWELL_GZIP)
  message(FATAL_ERROR "Installing the changelog needs gzip (sudo apt-get install gzip).")
endif()

# The format of debian/changelog, with an RFC 5322 date in UTC.
string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(text "tarnwell-cli (${TARNWELL_CHANGELOG_VERSION}) unstable; urgency=medium

  * Tarnwell Password Generator ${TARNWELL_CHANGELOG_VERSION}.

 -- ${TARNWELL_CHANGELOG_MAINTAINER}  ${date}
")
set(plain "${TARNWELL_CHANGELOG_OUTPUT}.txt")
file(WRITE "${plain}" "${text}")
execute_process(COMMAND "${TARNWELL_GZIP}" -n -9 -c "${plain}"
                OUTPUT_FILE "${TARNWELL_CHANGELOG_OUTPUT}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip could not compress the changelog (${status}).")
endif()
