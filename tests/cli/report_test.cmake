# orvalle-cli report after a merge: the HTML pages with their JPEG charts, the analysis as a PDF
# (with the filter line when a filter is given), and the printed questionnaire. Run by ctest with
# CLI, SURVEY and WORK set.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(COPY "${SURVEY}" DESTINATION "${WORK}")
get_filename_component(name "${SURVEY}" NAME)
get_filename_component(base "${SURVEY}" NAME_WE)
set(survey "${WORK}/${name}")
set(ENV{QT_QPA_PLATFORM} offscreen)

file(WRITE "${WORK}/in.dat" "<DATA>\r\nRemoteAddr=10.0.0.1,orv1=0\r\nRemoteAddr=10.0.0.2,orv1=1\r\n</DATA>\r\n")
execute_process(COMMAND "${CLI}" merge "${survey}" "${WORK}/in.dat" RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "merge failed: rc=${rc}")
endif()

execute_process(COMMAND "${CLI}" report "${survey}" --html "${WORK}/web"
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
file(GLOB charts "${WORK}/web/*.jpg")
if(NOT rc EQUAL 0 OR NOT EXISTS "${WORK}/web/${base}.htm" OR NOT EXISTS "${WORK}/web/${base}0.htm"
   OR NOT charts)
  message(FATAL_ERROR "report --html: rc=${rc}\n${out}\n${err}")
endif()
file(READ "${WORK}/web/${base}.htm" index)
if(NOT index MATCHES "Are you a member\\?")
  message(FATAL_ERROR "the index page does not list the first question")
endif()

function(pdf_text pdf out_var)
  execute_process(COMMAND pdftotext "${pdf}" - OUTPUT_VARIABLE text RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "pdftotext could not read ${pdf}")
  endif()
  set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

execute_process(COMMAND "${CLI}" report "${survey}" --pdf "${WORK}/analysis.pdf" --filter "orv1=\"0\""
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT EXISTS "${WORK}/analysis.pdf")
  message(FATAL_ERROR "report --pdf: rc=${rc}\n${out}\n${err}")
endif()
pdf_text("${WORK}/analysis.pdf" text)
if(NOT text MATCHES "Are you a member\\?" OR NOT text MATCHES "Active Filter")
  message(FATAL_ERROR "the analysis PDF lacks the question or the filter line:\n${text}")
endif()

execute_process(COMMAND "${CLI}" report "${survey}" --pdf "${WORK}/questions.pdf" --questionnaire
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "report --questionnaire: rc=${rc}\n${out}\n${err}")
endif()
pdf_text("${WORK}/questions.pdf" text)
if(NOT text MATCHES "Are you a member\\?" OR text MATCHES "Active Filter")
  message(FATAL_ERROR "the questionnaire PDF is not the questionnaire:\n${text}")
endif()

execute_process(COMMAND "${CLI}" report "${survey}" --html "${WORK}/web2" --pdf "${WORK}/both.pdf"
  ERROR_VARIABLE err RESULT_VARIABLE rc)
if(rc EQUAL 0)
  message(FATAL_ERROR "report with both --html and --pdf was accepted")
endif()
