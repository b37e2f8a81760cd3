# `cmake --build build --target format` re-formats every C++ file of the tree.
find_program(CLANG_FORMAT_EXE NAMES clang-format clang-format-14)
if(CLANG_FORMAT_EXE)
  file(GLOB_RECURSE LANTERNLEAF_FORMAT_FILES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/src/*.cpp ${CMAKE_SOURCE_DIR}/src/*.h
    ${CMAKE_SOURCE_DIR}/tests/*.cpp ${CMAKE_SOURCE_DIR}/tests/*.h
    ${CMAKE_SOURCE_DIR}/benchmarks/*.cpp ${CMAKE_SOURCE_DIR}/benchmarks/*.h
    ${CMAKE_SOURCE_DIR}/fuzz/*.cpp)
  add_custom_target(format
    COMMAND ${CLANG_FORMAT_EXE} -i --style=file ${LANTERNLEAF_FORMAT_FILES}
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    COMMENT "Formatting sources with clang-format")
endif()
