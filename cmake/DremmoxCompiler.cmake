# Compiler settings shared by every target of the project: warnings for our own code, ccache when present,
# and the sanitizer configurations.

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(CMAKE_CXX_COMPILER_LAUNCHER "${CCACHE_PROGRAM}")
endif()

add_library(dremmox_warnings INTERFACE)
target_compile_options(dremmox_warnings INTERFACE -Wall -Wextra -Wpedantic)
# GCC 12 warns at -O2 that std::string's own copies inside operator+ may overlap (a known false positive of
# -Wrestrict in libstdc++'s headers); it says nothing about our code and buried real warnings in release builds.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(dremmox_warnings INTERFACE -Wno-restrict)
endif()

if(DREMMOX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(DREMMOX_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
