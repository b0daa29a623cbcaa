# orvalle-cli tally on a copy of a survey after a merge: the JSON numbers, a filter, a filter that
# passes nothing (warning, all records) and a malformed one (engine's message, failure).
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(COPY "${SURVEY}" DESTINATION "${WORK}")
get_filename_component(name "${SURVEY}" NAME)
set(survey "${WORK}/${name}")
file(WRITE "${WORK}/in.dat" "<DATA>\r\n"
  "RemoteAddr=10.0.0.1,orv1=0,orv3-0=1,orv3-2=1,orv4=4,orv7=1,orv8=42,orv9=2\r\n"
  "RemoteAddr=10.0.0.2,orv1=Other,orv1Other=Guest,orv3-1=1,orv4=4,orv7=Other,orv8=7\r\n"
  "RemoteAddr=10.0.0.3,orv1=1,orv8=abc,orv9=0\r\n"
  "</DATA>\r\n")
execute_process(COMMAND "${CLI}" merge "${survey}" "${WORK}/in.dat" RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "merge failed: ${rc}")
endif()

function(tally out err rc)
  execute_process(COMMAND "${CLI}" tally "${survey}" ${ARGN}
    OUTPUT_VARIABLE o ERROR_VARIABLE e RESULT_VARIABLE r)
  set(${out} "${o}" PARENT_SCOPE)
  set(${err} "${e}" PARENT_SCOPE)
  set(${rc} "${r}" PARENT_SCOPE)
endfunction()

function(expect json expected)
  string(JSON value GET "${json}" ${ARGN})
  if(NOT "${value}" STREQUAL "${expected}")
    message(FATAL_ERROR "${ARGN}: got '${value}', expected '${expected}'\n${json}")
  endif()
endfunction()

function(expect_length json expected)
  string(JSON value LENGTH "${json}" ${ARGN})
  if(NOT "${value}" STREQUAL "${expected}")
    message(FATAL_ERROR "${ARGN}: ${value} entries, expected ${expected}\n${json}")
  endif()
endfunction()

tally(json err rc --json)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "tally --json: rc=${rc}\n${err}")
endif()
expect("${json}" "" filter)
expect("${json}" 3 records)
expect_length("${json}" 8 questions) # every item but the header
expect("${json}" 1 questions 0 id)
expect("${json}" "1" questions 0 number)
expect("${json}" "Other" questions 0 counts 2 caption)
expect("${json}" 2 questions 0 counts 2 index)
expect("${json}" 1 questions 0 counts 2 count)
expect("${json}" "Café" questions 1 counts 2 caption)
expect("${json}" 1 questions 1 counts 2 count)
expect("${json}" 0 questions 1 counts 3 count)
expect("${json}" "5" questions 2 counts 4 caption)
expect("${json}" 2 questions 2 counts 4 count)
expect_length("${json}" 0 questions 3 counts) # Free Form Text: no counts
expect("${json}" 6 questions 6 style)
expect("${json}" 49 questions 6 total)
expect("${json}" 2 questions 6 valueCount)
expect("${json}" 24.5 questions 6 average)
expect_length("${json}" 61 questions 6 ranges)
expect("${json}" "42 to 43" questions 6 ranges 21 caption)
expect("${json}" 1 questions 6 ranges 21 count)
expect("${json}" 1 questions 6 ranges 3 count)

tally(json err rc --filter "ORV1=\"0\"" --json)
expect("${json}" 1 records)
expect("${json}" "ORV1=\"0\"" filter)
expect("${json}" 1 questions 6 valueCount)

tally(json err rc --json --filter "ORV9=\"7\"")
if(NOT rc EQUAL 0 OR NOT err MATCHES "The filter you defined eliminates all records.  Please try again.")
  message(FATAL_ERROR "empty filter: rc=${rc}\n${err}")
endif()
expect("${json}" 3 records)

tally(text err rc --filter "ORV1=")
if(rc EQUAL 0 OR err STREQUAL "" OR NOT text STREQUAL "")
  message(FATAL_ERROR "malformed filter: rc=${rc}\n${text}\n${err}")
endif()

tally(text err rc)
if(NOT rc EQUAL 0 OR NOT text MATCHES "Responses counted: 3" OR NOT text MATCHES "Average:    25")
  message(FATAL_ERROR "text: rc=${rc}\n${text}\n${err}")
endif()
message(STATUS "orvalle-cli tally passed")
