# Compiler settings that tarnevo's own targets need, applied per target so that a project which
# embeds tarnevo (add_subdirectory, FetchContent) keeps its own flags.
#
#   tarnevo_target_options(<target>)
#
# Warnings (-Wall -Wextra, -Werror with TARNEVO_WERROR), hidden symbols, position-independent
# code, and the sanitizer chosen by TARNEVO_SANITIZE ("address" with undefined behaviour, or
# "thread"), on compile and link.
include_guard(GLOBAL)

set(TARNEVO_SANITIZE "" CACHE STRING "Sanitizer build: 'address' (with undefined behaviour) or 'thread'")
if(NOT TARNEVO_SANITIZE MATCHES "^(|address|thread)$")
  message(FATAL_ERROR "TARNEVO_SANITIZE must be empty, 'address' or 'thread'")
endif()

function(tarnevo_target_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${TARNEVO_WERROR}>:-Werror>)
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    C_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    POSITION_INDEPENDENT_CODE ON)
  if(TARNEVO_SANITIZE STREQUAL "address")
    target_compile_options(${target} PRIVATE
      -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  elseif(TARNEVO_SANITIZE STREQUAL "thread")
    target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=thread)
  endif()
endfunction()
