# Every target of the project gets the same warnings; CI turns them into errors.
function(vellum_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(VELLUM_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # gcc 12 takes an inlined std::string operator+ with a literal for an
    # overlapping copy (its bug 105651); the mingw-w64 build meets it.
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(VELLUM_SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # gcc's sanitizer instrumentation makes -Wmaybe-uninitialized report
    # uninitialised members inside the standard library (std::regex's states).
    target_compile_options(${target} PRIVATE -Wno-maybe-uninitialized)
  endif()
endfunction()

if(VELLUM_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

if(VELLUM_FUZZ)
  # Coverage for libFuzzer in every library; the fuzz executables add the driver.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
