# add_subdirectory for every folder below `parent` that has a CMakeLists.txt, in name order, so that
# a new analysis (or its tests or benchmarks) joins the build by adding its own folder.
function(tessaloc_add_subdirectories parent)
  file(GLOB children LIST_DIRECTORIES true RELATIVE "${CMAKE_CURRENT_SOURCE_DIR}/${parent}"
       "${CMAKE_CURRENT_SOURCE_DIR}/${parent}/*")
  list(SORT children)
  foreach(child IN LISTS children)
    if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${parent}/${child}/CMakeLists.txt")
      add_subdirectory("${parent}/${child}")
    endif()
  endforeach()
endfunction()
