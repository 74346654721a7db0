# Compiler settings shared by every target of the project: warnings for our own code, ccache when present,
# and the sanitizer configuration.

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(CMAKE_CXX_COMPILER_LAUNCHER "${CCACHE_PROGRAM}")
endif()

add_library(dremmox_warnings INTERFACE)
target_compile_options(dremmox_warnings INTERFACE -Wall -Wextra -Wpedantic)

if(DREMMOX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
