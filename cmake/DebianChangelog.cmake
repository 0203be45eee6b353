# Run at install time: writes the changelog that a native Debian package
# carries, one entry for TARNWELL_CHANGELOG_VERSION signed by
# TARNWELL_CHANGELOG_MAINTAINER, compressed into TARNWELL_CHANGELOG_OUTPUT.
# The entry is dated from SOURCE_DATE_EPOCH when it is set (string(TIMESTAMP)
# reads it), so a release gives the same bytes anywhere.
include("${CMAKE_CURRENT_LIST_DIR}/WriteGzipped.cmake")

# The format of debian/changelog, with an RFC 5322 date in UTC.
string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(text "tarnwell-cli (${TARNWELL_CHANGELOG_VERSION}) unstable; urgency=medium

  * Tarnwell Password Generator ${TARNWELL_CHANGELOG_VERSION}.

 -- ${TARNWELL_CHANGELOG_MAINTAINER}  ${date}
")
tarnwell_write_gzipped("${text}" "${TARNWELL_CHANGELOG_OUTPUT}" "the changelog")
