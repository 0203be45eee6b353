# Included by the install-time scripts that write a compressed document for
# the package (the manual page and the changelog).
#   tarnwell_write_gzipped(TEXT OUTPUT WHAT)
# writes TEXT beside OUTPUT (OUTPUT.txt) and compresses it into OUTPUT with
# gzip -n -9, which stores no name or time, so the same text gives the same
# bytes anywhere. WHAT names the document in the failure message.
find_program(TARNWELL_GZIP gzip)
if(NOT TARNWELL_GZIP)
  message(FATAL_ERROR "Installing the package's documents needs gzip (sudo apt-get install gzip).")
endif()

function(tarnwell_write_gzipped text output what)
  file(WRITE "${output}.txt" "${text}")
  execute_process(COMMAND "${TARNWELL_GZIP}" -n -9 -c "${output}.txt"
                  OUTPUT_FILE "${output}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip could not compress ${what} (${status}).")
  endif()
endfunction()
