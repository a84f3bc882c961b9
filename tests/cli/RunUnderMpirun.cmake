cmake_minimum_required(VERSION 3.25)
# Runs one golden case of tessaloc-cli under an MPI launcher and checks that the processes together
# write exactly what the single program writes: the case's expected files, byte for byte, its exit
# status, its standard output, and its standard error after the line that says how many processes
# share the run.
#
#   cmake -DCLI=<tessaloc-cli> -DMPIRUN=<mpirun> -DPROCESSES=K -DCASE_DIR=<tests/cli/cases/NAME>
#         -DOUT_DIR=<scratch folder> -P RunUnderMpirun.cmake
#
# The case folder is the one RunGoldenCase.cmake reads (args, exit, stdout, stderr, expected/). A case
# that fails may fail in several processes at once, so its standard error need only hold the
# expected text.

include("${CMAKE_CURRENT_LIST_DIR}/GoldenCaseArgs.cmake")
read_golden_case(RunUnderMpirun.cmake "CLI;MPIRUN;PROCESSES;CASE_DIR;OUT_DIR")

execute_process(
  COMMAND "${MPIRUN}" --oversubscribe -np ${PROCESSES} "${CLI}" ${args}
  WORKING_DIRECTORY "${CASE_DIR}"
  RESULT_VARIABLE exit_status
  OUTPUT_VARIABLE out_text
  ERROR_VARIABLE err_text)
string(REPLACE "${files_dir}" "@OUT@" out_text "${out_text}")
string(REPLACE "${files_dir}" "@OUT@" err_text "${err_text}")

set(failures 0)
macro(fail text)
  message("${text}")
  math(EXPR failures "${failures} + 1")
endmacro()

set(expected_exit 0)
if(EXISTS "${CASE_DIR}/exit")
  file(STRINGS "${CASE_DIR}/exit" expected_exit LIMIT_COUNT 1)
endif()
if(NOT "${exit_status}" STREQUAL "${expected_exit}")
  fail("exit status ${exit_status}, expected ${expected_exit}\nstderr:\n${err_text}")
endif()

set(expected_err "")
if(EXISTS "${CASE_DIR}/stderr")
  file(READ "${CASE_DIR}/stderr" expected_err)
endif()
if(PROCESSES GREATER 1)
  set(processes_line "tessaloc-cli: ${PROCESSES} processes\n")
  string(FIND "${err_text}" "${processes_line}" at)
  if(expected_exit EQUAL 0)
    if(NOT at EQUAL 0)
      fail("standard error does not start with \"${processes_line}\":\n${err_text}")
    endif()
    set(expected_err "${processes_line}${expected_err}")
  elseif(at LESS 0)
    # When every process fails, another one's message may come before process 0's line.
    fail("standard error lacks \"${processes_line}\":\n${err_text}")
  endif()
endif()
if(expected_exit EQUAL 0)
  if(NOT "${err_text}" STREQUAL "${expected_err}")
    fail("standard error differs; expected:\n${expected_err}\ngot:\n${err_text}")
  endif()
  if(EXISTS "${CASE_DIR}/stdout")
    file(READ "${CASE_DIR}/stdout" expected_out)
    if(NOT "${out_text}" STREQUAL "${expected_out}")
      fail("standard output differs; expected:\n${expected_out}\ngot:\n${out_text}")
    endif()
  endif()
else()
  string(FIND "${err_text}" "${expected_err}" at)
  if(at LESS 0)
    fail("standard error lacks the message; expected:\n${expected_err}\ngot:\n${err_text}")
  endif()
endif()

file(GLOB_RECURSE written RELATIVE "${files_dir}" "${files_dir}/*")
set(wanted)
if(IS_DIRECTORY "${CASE_DIR}/expected")
  file(GLOB_RECURSE wanted RELATIVE "${CASE_DIR}/expected" "${CASE_DIR}/expected/*")
endif()
foreach(name IN LISTS wanted)
  if(NOT EXISTS "${files_dir}/${name}")
    fail("missing output ${name}")
  else()
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${CASE_DIR}/expected/${name}" "${files_dir}/${name}"
                    RESULT_VARIABLE differs)
    if(differs)
      execute_process(COMMAND diff -u --text "${CASE_DIR}/expected/${name}" "${files_dir}/${name}"
                      OUTPUT_VARIABLE diff_text)
      fail("MISMATCH ${name}:\n${diff_text}")
    endif()
  endif()
endforeach()
foreach(name IN LISTS written)
  if(NOT name IN_LIST wanted)
    fail("unexpected output ${name}")
  endif()
endforeach()

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} difference(s) in golden case ${CASE_DIR} under ${PROCESSES} processes")
endif()
