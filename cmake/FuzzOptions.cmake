# The fuzz build: every library instrumented for libFuzzer, AddressSanitizer and UBSan, so the
# harness sees coverage of all of the panel's own code. Included before any target is made.
option(QOR_FUZZ "Build the libFuzzer harness (clang only)" OFF)
if(QOR_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "QOR_FUZZ needs clang (libFuzzer); configure with the fuzz preset")
  endif()
  # -O1 keeps the executions per second up without losing the stack traces.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer -O1)
  add_link_options(-fsanitize=address,undefined)
endif()
