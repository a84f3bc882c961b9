cmake_minimum_required(VERSION 3.25)
# Starts PROCESSES copies of tessaloc-cli under an MPI launcher on the same run, all but process FAILING
# on good files; that one's genotype file is missing (KIND=missing) or holds a record it cannot read
# (KIND=malformed). Every process must end, the run with the exit status and the message that copy
# gives alone, and nothing may be written into the output folder.
#
#   cmake -DCLI=<tessaloc-cli> -DMPIRUN=<mpirun> -DPROCESSES=K -DFAILING=I -DKIND=missing|malformed
#         -DANALYSIS=mantel|autocorrelation|aggregation|distances -DDATA_DIR=<examples/microsatellites>
#         -DOUT_DIR=<scratch folder> -P MpirunOneProcessFails.cmake

foreach(variable CLI MPIRUN PROCESSES FAILING KIND ANALYSIS DATA_DIR OUT_DIR)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "MpirunOneProcessFails.cmake needs -D${variable}=...")
  endif()
endforeach()

file(REMOVE_RECURSE "${OUT_DIR}")
file(MAKE_DIRECTORY "${OUT_DIR}/files" "${OUT_DIR}/alone")
set(files_dir "${OUT_DIR}/files")

if(KIND STREQUAL "missing")
  set(bad_genotypes "${OUT_DIR}/no-such-genotypes.txt")
else()
  # The first record's first genotype lacks the allele separator.
  file(READ "${DATA_DIR}/genotypes.txt" genotypes)
  string(REGEX REPLACE "^([^\n]*\n[^,]*,)[^,]*" "\\1x" genotypes "${genotypes}")
  set(bad_genotypes "${OUT_DIR}/genotypes.txt")
  file(WRITE "${bad_genotypes}" "${genotypes}")
endif()
set(common ${ANALYSIS} --seed 1,1)
if(NOT ANALYSIS STREQUAL "distances")
  list(APPEND common --permutations 99)
endif()

execute_process(
  COMMAND "${CLI}" ${common} --output-dir "${OUT_DIR}/alone" "${DATA_DIR}/coordinates.txt" "${bad_genotypes}"
  RESULT_VARIABLE alone_exit
  ERROR_VARIABLE alone_err)
if(alone_exit EQUAL 0)
  message(FATAL_ERROR "the failing copy does not fail alone")
endif()

set(command "${MPIRUN}" --oversubscribe)
math(EXPR last "${PROCESSES} - 1")
foreach(index RANGE ${last})
  if(index GREATER 0)
    list(APPEND command ":")
  endif()
  set(genotypes "${DATA_DIR}/genotypes.txt")
  if(index EQUAL FAILING)
    set(genotypes "${bad_genotypes}")
  endif()
  list(APPEND command -np 1 "${CLI}" ${common} --output-dir "${files_dir}" "${DATA_DIR}/coordinates.txt" "${genotypes}")
endforeach()
execute_process(COMMAND ${command} RESULT_VARIABLE exit_status ERROR_VARIABLE err_text OUTPUT_VARIABLE out_text)

set(failures 0)
if(NOT "${exit_status}" STREQUAL "${alone_exit}")
  message("exit status ${exit_status}, expected ${alone_exit} as alone\nstderr:\n${err_text}")
  math(EXPR failures "${failures} + 1")
endif()
string(FIND "${err_text}" "${alone_err}" at)
if(at LESS 0)
  message("standard error lacks the message the copy gives alone:\n${alone_err}\ngot:\n${err_text}")
  math(EXPR failures "${failures} + 1")
endif()
file(GLOB_RECURSE written RELATIVE "${files_dir}" "${files_dir}/*")
if(written)
  message("the failed run wrote ${written}")
  math(EXPR failures "${failures} + 1")
endif()
if(failures GREATER 0)
  message(FATAL_ERROR "${failures} fault(s) when process ${FAILING} of ${PROCESSES} fails (${KIND} genotype file)")
endif()
