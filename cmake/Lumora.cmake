# Helpers shared by every folder.
#
# lumora_library(NAME <target> [DEPS <targets>...] [PRIVATE_DEPS <targets>...] [SUBDIRS <dirs>...])
#   One static library from every .cpp of the calling folder (not its subfolders, except the
#   SUBDIRS named, whose sources join the same library). Sources are globbed, so adding a file
#   needs no edit here. Tests in tests/ become <target>_tests.
#
# lumora_program_files([FROM <subfolder>] <files>...)
#   Copies data files of the calling folder (or of its subfolder FROM, keeping their relative
#   paths) into the program folder, beside the program, where it reads them; a changed file is
#   copied again by the next build. They all hang below the target lumora_program_files.
#
# lumora_tests(NAME <target> [DEPS <targets>...])
#   One GoogleTest program from every .cpp in the calling folder's tests/, registered with CTest.
#   Tests run headless with a private registry and config folder.

function(lumora_library)
  cmake_parse_arguments(L "" "NAME" "DEPS;PRIVATE_DEPS;SUBDIRS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(_sub IN LISTS L_SUBDIRS)
    file(GLOB _subsrc CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${_sub}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${_sub}/*.h)
    list(APPEND _src ${_subsrc})
  endforeach()
  add_library(${L_NAME} STATIC ${_src})
  target_include_directories(${L_NAME} PUBLIC ${CMAKE_SOURCE_DIR})
  if(L_DEPS)
    target_link_libraries(${L_NAME} PUBLIC ${L_DEPS})
  endif()
  if(L_PRIVATE_DEPS)
    target_link_libraries(${L_NAME} PRIVATE ${L_PRIVATE_DEPS})
  endif()
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/tests AND LUMORA_TESTS)
    file(GLOB _tsrc CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
    if(_tsrc)
      lumora_tests(NAME ${L_NAME}_tests SOURCES ${_tsrc} DEPS ${L_NAME})
    endif()
  endif()
endfunction()

# Every data file the program reads from its own folder hangs below this one target.
add_custom_target(lumora_program_files ALL)

function(lumora_program_files)
  cmake_parse_arguments(P "" "FROM" "" ${ARGN})
  set(_base ${CMAKE_CURRENT_SOURCE_DIR})
  if(P_FROM)
    set(_base ${_base}/${P_FROM})
  endif()
  set(_copied)
  foreach(_file IN LISTS P_UNPARSED_ARGUMENTS)
    add_custom_command(OUTPUT ${LUMORA_PROGRAM_DIR}/${_file}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${_base}/${_file} ${LUMORA_PROGRAM_DIR}/${_file}
      DEPENDS ${_base}/${_file}
      COMMENT "Copying ${_file} beside the program")
    list(APPEND _copied ${LUMORA_PROGRAM_DIR}/${_file})
  endforeach()
  file(RELATIVE_PATH _folder ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  string(MAKE_C_IDENTIFIER "program_files_${_folder}" _target)
  add_custom_target(${_target} DEPENDS ${_copied})
  add_dependencies(lumora_program_files ${_target})
endfunction()

# The sanitizers' settings for every test run. The leak checker's tracer can fault on the
# thread-local storage of libraries loaded at run time (seen with the printing stack) depending on
# how the test program is laid out; not intercepting __tls_get_addr avoids it.
set(LUMORA_SANITIZER_ENVIRONMENT
  "ASAN_OPTIONS=intercept_tls_get_addr=0;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/.ci/lsan.supp;UBSAN_OPTIONS=print_stacktrace=1;TSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/.ci/tsan.supp:history_size=7")

function(lumora_tests)
  cmake_parse_arguments(T "" "NAME" "SOURCES;DEPS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_DEPS} lumora_test_support GTest::gtest)
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LUMORA_TEST_SOURCE_DIR=${CMAKE_SOURCE_DIR};${LUMORA_SANITIZER_ENVIRONMENT}"
  )
endfunction()
