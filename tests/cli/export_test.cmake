# orvalle-cli export after a merge: each format's file under the name given (the extension added
# when missing), the mapping file beside the DBF and CSV exports, and a clear failure for a
# survey without responses. Run by ctest with CLI, SURVEY and WORK set.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(COPY "${SURVEY}" DESTINATION "${WORK}")
get_filename_component(name "${SURVEY}" NAME)
set(survey "${WORK}/${name}")

execute_process(COMMAND "${CLI}" export "${survey}" --csv "${WORK}/none" ERROR_VARIABLE err RESULT_VARIABLE rc)
if(rc EQUAL 0 OR NOT err MATCHES "has no response table" OR EXISTS "${WORK}/none.csv")
  message(FATAL_ERROR "export without responses: rc=${rc}\n${err}")
endif()

file(WRITE "${WORK}/in.dat" "<DATA>\r\nRemoteAddr=10.0.0.1,orv1=0\r\nRemoteAddr=10.0.0.2,orv1=1\r\n</DATA>\r\n")
execute_process(COMMAND "${CLI}" merge "${survey}" "${WORK}/in.dat" RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "merge failed: rc=${rc}")
endif()

foreach(format csv dbf xlsx sav dta)
  execute_process(COMMAND "${CLI}" export "${survey}" --${format} "${WORK}/out-${format}"
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR NOT EXISTS "${WORK}/out-${format}.${format}")
    message(FATAL_ERROR "export --${format}: rc=${rc}\n${out}\n${err}")
  endif()
  if(format STREQUAL "csv" OR format STREQUAL "dbf")
    if(NOT EXISTS "${WORK}/out-${format}.txt" OR NOT out MATCHES "Wrote ${WORK}/out-${format}.txt")
      message(FATAL_ERROR "export --${format} wrote no mapping file\n${out}")
    endif()
  elseif(EXISTS "${WORK}/out-${format}.txt")
    message(FATAL_ERROR "export --${format} wrote a mapping file")
  endif()
endforeach()

file(STRINGS "${WORK}/out-csv.csv" lines)
list(LENGTH lines count)
list(GET lines 0 header)
if(NOT count EQUAL 3 OR NOT header MATCHES "^\"REMOTEIP\",\"EMAIL\",\"AGENT\",\"DATERCVD\",")
  message(FATAL_ERROR "csv: ${lines}")
endif()
message(STATUS "orvalle-cli export passed")

# import-questions: a text file of questions becomes a saved survey.
file(WRITE "${WORK}/questions.txt" "1. Do you own a car?\r\n Yes\r\n No\r\nH) Section two\r\n2. Age?\r\n -Nothing like this\r\n")
execute_process(COMMAND "${CLI}" import-questions "${WORK}/questions.txt" "${WORK}/imported.orv" --style 2
  --data-dir "${WORK}" OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
execute_process(COMMAND "${CLI}" survey to-json "${WORK}/imported.orv" OUTPUT_VARIABLE json)
if(NOT rc EQUAL 0 OR NOT out MATCHES "Imported 3 items" OR NOT json MATCHES "Do you own a car"
   OR NOT json MATCHES "Nothing like this")
  message(FATAL_ERROR "import-questions: rc=${rc}\n${out}\n${err}\n${json}")
endif()
execute_process(COMMAND "${CLI}" import-questions "${WORK}/questions.txt" "${WORK}/x.orv" --style 4
  ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 2 OR EXISTS "${WORK}/x.orv")
  message(FATAL_ERROR "import-questions --style 4 was accepted")
endif()
