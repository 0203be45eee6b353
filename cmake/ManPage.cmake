# Run at install time: renders the manual page of TARNWELL_MANPAGE_PROGRAM
# from its --help and --version and the sections of TARNWELL_MANPAGE_INCLUDE
# (help2man's --include) into TARNWELL_MANPAGE_OUTPUT, compressed. The page is
# dated from SOURCE_DATE_EPOCH when it is set, so a release build gives the
# same bytes anywhere.
find_program(TARNWELL_HELP2MAN help2man)
if(NOT TARNWELL_HELP2MAN)
  message(FATAL_ERROR "Installing the manual page needs help2man (sudo apt-get install help2man).")
endif()
include("${CMAKE_CURRENT_LIST_DIR}/WriteGzipped.cmake")

# help2man runs the program through the shell, which would split a path that
# holds a space; run from the program's own folder, it is named ./NAME.
get_filename_component(program_folder "${TARNWELL_MANPAGE_PROGRAM}" DIRECTORY)
get_filename_component(program_name "${TARNWELL_MANPAGE_PROGRAM}" NAME)
set(page "${TARNWELL_MANPAGE_OUTPUT}.roff")
execute_process(
  COMMAND "${TARNWELL_HELP2MAN}" --no-info --section=1
          "--name=derive a password from two keywords"
          "--include=${TARNWELL_MANPAGE_INCLUDE}" "--output=${page}" "./${program_name}"
  WORKING_DIRECTORY "${program_folder}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man could not render the manual page (${status}).")
endif()

file(READ "${page}" roff)
# help2man dates the page with the month's name ("December 2026"), which
# mandoc cannot parse; the page is dated YYYY-MM-DD instead.
# string(TIMESTAMP) reads SOURCE_DATE_EPOCH as help2man does.
string(TIMESTAMP date "%Y-%m-%d" UTC)
string(REGEX REPLACE "(\n\\.TH [^ \n]+ \"[^\"\n]*\" )\"[^\"\n]*\"" "\\1\"${date}\"" dated "${roff}")
# --help ends its options with an "Exit status:" list, which help2man makes a
# subsection of OPTIONS; in a manual page it is a section of its own.
string(REPLACE "\n.SS \"Exit status:\"\n" "\n.SH \"EXIT STATUS\"\n" sectioned "${dated}")
if(dated STREQUAL roff OR sectioned STREQUAL dated)
  message(FATAL_ERROR "help2man's page no longer has the date or the exit status where "
                      "cmake/ManPage.cmake expects them; see ${page}.")
endif()
tarnwell_write_gzipped("${sectioned}" "${TARNWELL_MANPAGE_OUTPUT}" "the manual page")
