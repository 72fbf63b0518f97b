# pallo_sources(file...): a file named *_win.cpp is Win32 code and goes into
# pallo_win (Windows build only); every other file is portable and goes into
# pallo_core (both builds). The suffix alone decides, never an #ifdef.
function(pallo_sources)
  foreach(src IN LISTS ARGN)
    set(path ${CMAKE_CURRENT_SOURCE_DIR}/${src})
    if(src MATCHES "_win\\.(cpp|h)$")
      if(WIN32)
        target_sources(pallo_win PRIVATE ${path})
      endif()
    else()
      target_sources(pallo_core PRIVATE ${path})
    endif()
  endforeach()
endfunction()

# Native builds run with AddressSanitizer and UBSan unless told otherwise.
option(PALLO_SANITIZE "Build native code with ASan and UBSan" ON)
option(PALLO_FUZZ "Build the libFuzzer targets (clang) instead of the unit tests" OFF)
if(NOT WIN32)
  if(PALLO_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -g -O1)
    add_link_options(-fsanitize=address,undefined)
  elseif(PALLO_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Wall> $<$<COMPILE_LANGUAGE:CXX>:-Wextra>)

# GoogleTest from the sources Debian's googletest package ships.
macro(pallo_use_googletest)
  if(NOT TARGET gtest)
    set(gtest_disable_pthreads ${WIN32} CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  endif()
  include(GoogleTest)
endmacro()
