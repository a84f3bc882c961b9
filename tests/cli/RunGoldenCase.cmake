cmake_minimum_required(VERSION 3.25)
# Runs one golden case of tessaloc-cli and compares what it wrote with the case's expected files,
# byte for byte (CR LF included), printing a unified diff for each difference.
#
#   cmake -DCLI=<tessaloc-cli> -DCASE_DIR=<tests/cli/cases/NAME> -DOUT_DIR=<scratch folder> -P RunGoldenCase.cmake
#
# A case folder holds:
#   args      the arguments, one per line; @OUT@ stands for the scratch folder. The program runs in the
#             case folder, so input paths are relative to it and reports show them as given.
#   exit      the expected exit status (0 when absent)
#   stdout, stderr   the expected output streams, with @OUT@ for the scratch folder (optional)
#   expected/ the files the run must write into the scratch folder, and no others
# With the environment variable UPDATE_GOLDEN=1 the expected files are rewritten from this run.

include("${CMAKE_CURRENT_LIST_DIR}/GoldenCaseArgs.cmake")
read_golden_case(RunGoldenCase.cmake "CLI;CASE_DIR;OUT_DIR")

execute_process(
  COMMAND "${CLI}" ${args}
  WORKING_DIRECTORY "${CASE_DIR}"
  RESULT_VARIABLE exit_status
  OUTPUT_VARIABLE out_text
  ERROR_VARIABLE err_text)

set(expected_exit 0)
if(EXISTS "${CASE_DIR}/exit")
  file(STRINGS "${CASE_DIR}/exit" expected_exit LIMIT_COUNT 1)
endif()

string(REPLACE "${files_dir}" "@OUT@" out_text "${out_text}")
string(REPLACE "${files_dir}" "@OUT@" err_text "${err_text}")
file(WRITE "${OUT_DIR}/stdout" "${out_text}")
file(WRITE "${OUT_DIR}/stderr" "${err_text}")
file(WRITE "${OUT_DIR}/exit" "${exit_status}\n")

set(failures 0)
if(DEFINED ENV{UPDATE_GOLDEN} AND "$ENV{UPDATE_GOLDEN}" STREQUAL "1")
  file(REMOVE_RECURSE "${CASE_DIR}/expected")
  file(COPY "${files_dir}/" DESTINATION "${CASE_DIR}/expected")
  foreach(stream stdout stderr exit)
    file(COPY "${OUT_DIR}/${stream}" DESTINATION "${CASE_DIR}")
  endforeach()
  message(STATUS "golden files of ${CASE_DIR} rewritten")
  return()
endif()

function(compare expected actual)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${expected}" "${actual}" RESULT_VARIABLE differs)
  if(differs)
    execute_process(COMMAND diff -u --text "${expected}" "${actual}" OUTPUT_VARIABLE diff_text)
    message("MISMATCH ${actual} against ${expected}:\n${diff_text}")
    math(EXPR count "${failures} + 1")
    set(failures ${count} PARENT_SCOPE)
  endif()
endfunction()

if(NOT "${exit_status}" STREQUAL "${expected_exit}")
  message("exit status ${exit_status}, expected ${expected_exit}\nstderr:\n${err_text}")
  math(EXPR failures "${failures} + 1")
endif()
foreach(stream stdout stderr)
  if(EXISTS "${CASE_DIR}/${stream}")
    compare("${CASE_DIR}/${stream}" "${OUT_DIR}/${stream}")
  endif()
endforeach()

file(GLOB_RECURSE written RELATIVE "${files_dir}" "${files_dir}/*")
file(GLOB_RECURSE wanted RELATIVE "${CASE_DIR}/expected" "${CASE_DIR}/expected/*")
foreach(name IN LISTS wanted)
  if(NOT EXISTS "${files_dir}/${name}")
    message("missing output ${name}")
    math(EXPR failures "${failures} + 1")
  else()
    compare("${CASE_DIR}/expected/${name}" "${files_dir}/${name}")
  endif()
endforeach()
foreach(name IN LISTS written)
  if(NOT name IN_LIST wanted)
    message("unexpected output ${name}")
    math(EXPR failures "${failures} + 1")
  endif()
endforeach()

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} difference(s) in golden case ${CASE_DIR}")
endif()
