# orvalle-cli merge and codebook on a copy of a survey: the counts as the import shows them, the
# records in the table, and the field-mapping text. Run by ctest with CLI, SURVEY and WORK set.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(COPY "${SURVEY}" DESTINATION "${WORK}")
get_filename_component(name "${SURVEY}" NAME)
set(survey "${WORK}/${name}")
# The third respondent typed the end marker into a box; the fourth must not be lost either.
file(WRITE "${WORK}/in.dat"
  "<DATA>\r\nRemoteAddr=10.0.0.1,\"UserAgent=A B; C\",orv1=0\r\nnot a response\r\nRemoteAddr=10.0.0.2,orv1=1\r\n"
  "RemoteAddr=10.0.0.3,orv1=Other,orv1Other=</data>\r\nRemoteAddr=10.0.0.4,\"orv1Comment=x </DATA> y\"\r\n"
  "</DATA>\r\n")

execute_process(COMMAND "${CLI}" merge "${survey}" "${WORK}/in.dat"
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
set(expected "Results incorporated.\nNew responses: 4\nResponses eliminated: 1\nTotal responses: 4\n")
if(NOT rc EQUAL 0 OR NOT out STREQUAL expected)
  message(FATAL_ERROR "merge: rc=${rc}\n${out}\n${err}")
endif()

file(GLOB tables "${WORK}/*.dbf")
execute_process(COMMAND "${CLI}" dbf dump ${tables} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT dump MATCHES "\"AGENT\":\"A B; C\"" OR NOT dump MATCHES "\"REMOTEIP\":\"10.0.0.2\""
   OR NOT dump MATCHES "\"ORV1OT\":\"</data>\"" OR NOT dump MATCHES "\"ORV1CM\":\"x </DATA> y\"")
  message(FATAL_ERROR "dump: rc=${rc}\n${dump}")
endif()

# execute_process turns CR LF into LF; the unit tests check the line ends.
execute_process(COMMAND "${CLI}" codebook "${survey}" OUTPUT_VARIABLE text RESULT_VARIABLE rc)
string(FIND "${text}" "Field Mapping for survey " title)
string(FIND "${text}" "\n======================================================================\nField Name:   REMOTEIP\n" fixed)
string(FIND "${text}" "Style:        Single Select\n" block)
if(NOT rc EQUAL 0 OR NOT title EQUAL 0 OR fixed LESS 0 OR block LESS 0)
  message(FATAL_ERROR "codebook: rc=${rc}\n${text}")
endif()
message(STATUS "orvalle-cli merge and codebook passed")
