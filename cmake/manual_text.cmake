# Formats the manual page as plain text for Windows, which has no man:
# ASCII without overstrikes or colours, lines ending in CR LF.
#   cmake -DGROFF=... -DPAGE=logtrim.1 -DOUTPUT=logtrim.txt -P manual_text.cmake
execute_process(
  COMMAND ${GROFF} -mandoc -Tascii -P-cbou ${PAGE}
  OUTPUT_VARIABLE text
  RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR text STREQUAL "")
  message(FATAL_ERROR "groff could not format ${PAGE}")
endif()
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUTPUT} "${text}")
