# Compile options shared by every Tessaloc target: strict warnings and, on request, sanitizers.
add_library(tessaloc_options INTERFACE)
add_library(Tessaloc::options ALIAS tessaloc_options)

target_compile_options(tessaloc_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                                  -Wno-sign-conversion)
if(TESSALOC_WARNINGS_AS_ERRORS)
  target_compile_options(tessaloc_options INTERFACE -Werror)
endif()

if(TESSALOC_SANITIZE_THREAD)
  if(TESSALOC_SANITIZE)
    message(FATAL_ERROR "ThreadSanitizer cannot be combined with AddressSanitizer: "
                        "set only one of TESSALOC_SANITIZE and TESSALOC_SANITIZE_THREAD")
  endif()
  target_compile_options(tessaloc_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(tessaloc_options INTERFACE -fsanitize=thread)
endif()

if(TESSALOC_SANITIZE)
  target_compile_options(tessaloc_options INTERFACE -fsanitize=address,undefined
                                                    -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(tessaloc_options INTERFACE -fsanitize=address,undefined)
endif()

# The sanitizer builds keep line tables only (-g1): a sanitizer's report still names file and line,
# and the debug information of the Qt and GoogleTest templates no longer doubles the build's time.
if(TESSALOC_SANITIZE OR TESSALOC_SANITIZE_THREAD)
  target_compile_options(tessaloc_options INTERFACE -g1)
endif()

# The fuzz harnesses need coverage feedback from every library they call.
if(TESSALOC_BUILD_FUZZERS)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "TESSALOC_BUILD_FUZZERS needs clang (libFuzzer); use the fuzz preset")
  endif()
  target_compile_options(tessaloc_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

# Sources live beside each other in layer folders and are included as "core/...", "cli/..." and so on.
target_include_directories(tessaloc_options INTERFACE ${PROJECT_SOURCE_DIR})
