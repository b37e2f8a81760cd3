# Warnings for the project's own targets: on everywhere, errors only in a
# developer build so a newer compiler cannot break a user's build.
function(lanternleaf_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow=local
    -Wnon-virtual-dtor -Woverloaded-virtual)
  if(LANTERNLEAF_DEVELOPER)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
