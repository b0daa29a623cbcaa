# orvalle-cli elist and invite: a CSV with a quoted name survives import and export byte for byte,
# the text export pads its columns and is not taken back as an import, and invite --dry-run lists the recipients and the first
# message. Run by ctest with CLI, SURVEY and WORK set.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/config")
set(ENV{XDG_CONFIG_HOME} "${WORK}/config")
set(csv "FNAME,LNAME,EMAIL\r\n\"Lee, Jr.\",Bo,bo@example.org\r\nAnn,Lee,ann@example.org\r\n")
file(WRITE "${WORK}/in.csv" "Ann,Lee,ann@example.org\r\n\"Lee, Jr.\",Bo,bo@example.org\r\n")

execute_process(COMMAND "${CLI}" elist import "${WORK}/list.eml" "${WORK}/in.csv"
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "2 addresses imported\n")
  message(FATAL_ERROR "import: rc=${rc}\n${out}\n${err}")
endif()
execute_process(COMMAND "${CLI}" elist export "${WORK}/list.eml" "${WORK}/out.csv" RESULT_VARIABLE rc)
file(WRITE "${WORK}/expected.csv" "${csv}")
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${WORK}/expected.csv" "${WORK}/out.csv"
  RESULT_VARIABLE differ)
if(NOT rc EQUAL 0 OR NOT differ EQUAL 0)
  message(FATAL_ERROR "export: rc=${rc}, the file differs from the expected one")
endif()
execute_process(COMMAND "${CLI}" elist export "${WORK}/list.eml" "${WORK}/out.txt" --text RESULT_VARIABLE rc)
file(STRINGS "${WORK}/out.txt" lines)
list(GET lines 1 rule)
string(LENGTH "${rule}" width)
if(NOT rc EQUAL 0 OR NOT width EQUAL 260)
  message(FATAL_ERROR "text export: rc=${rc} width=${width}")
endif()
# The padded text is for reading: importing it is refused, and the list is left as it was.
execute_process(COMMAND "${CLI}" elist import "${WORK}/list.eml" "${WORK}/out.txt" --text
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(rc EQUAL 0 OR NOT err MATCHES "Only comma-separated files")
  message(FATAL_ERROR "import --text: rc=${rc}\n${out}\n${err}")
endif()

file(READ "${SURVEY}" text)
string(REGEX REPLACE "NotificationFile=[^\r\n]*" "NotificationFile=${WORK}/list.eml" text "${text}")
string(REGEX REPLACE "AllAddresses=[^\r\n]*" "AllAddresses=1" text "${text}")
file(WRITE "${WORK}/survey.orv" "${text}")
execute_process(COMMAND "${CLI}" invite "${WORK}/survey.orv" --dry-run
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT out MATCHES "^ann@example.org\nbo@example.org\n2 recipients\n"
   OR NOT out MATCHES "X-Mailer: Orvalle")
  message(FATAL_ERROR "invite --dry-run: rc=${rc}\n${out}\n${err}")
endif()
# No SMTP server in the settings: the run stops before anything is sent, and says why.
execute_process(COMMAND "${CLI}" invite "${WORK}/survey.orv" OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(rc EQUAL 0 OR NOT err MATCHES "Error: No SMTP server is set in the preferences.")
  message(FATAL_ERROR "invite without a server: rc=${rc}\n${out}\n${err}")
endif()
