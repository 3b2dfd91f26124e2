# Renders a manual page as plain text with CR LF line ends, for the Windows
# package: cmake -DGROFF=... -DPAGE=page.1 -DTEXT=page.txt -P man_to_text.cmake
execute_process(COMMAND ${GROFF} -man -Tutf8 -P-cbou -rLL=78n ${PAGE}
                OUTPUT_VARIABLE text RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "groff could not render ${PAGE}")
endif()
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${TEXT} "${text}")
