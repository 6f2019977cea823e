# vt_sources(out dir): every .cpp under dir, in sub-folders by concern too,
# except those in sub-folders with a CMakeLists of their own (programs).
function(vt_sources out dir)
  file(GLOB_RECURSE _all CONFIGURE_DEPENDS ${dir}/*.cpp)
  file(GLOB_RECURSE _own ${dir}/*/CMakeLists.txt)
  foreach(c ${_own})
    get_filename_component(_d ${c} DIRECTORY)
    list(FILTER _all EXCLUDE REGEX "^${_d}/")
  endforeach()
  set(${out} ${_all} PARENT_SCOPE)
endfunction()

# vt_library(name dep...): every .cpp under src/<name> becomes the static
# library vt_<name>. A folder with no sources yet becomes an interface library
# so dependants still link.
function(vt_library name)
  vt_sources(_src ${PROJECT_SOURCE_DIR}/src/${name})
  set(_deps)
  foreach(d ${ARGN})
    list(APPEND _deps vt_${d})
  endforeach()
  if(_src)
    add_library(vt_${name} STATIC ${_src})
    target_include_directories(vt_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(vt_${name} PUBLIC ${_deps})
  else()
    add_library(vt_${name} INTERFACE)
    target_include_directories(vt_${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(vt_${name} INTERFACE ${_deps})
  endif()
endfunction()

# vt_test(name lib...): every .cpp under tests/<name>, its sub-folders
# mirroring the library's, becomes the test program test_<name>, registered
# with CTest.
function(vt_test name)
  vt_sources(_src ${PROJECT_SOURCE_DIR}/tests/${name})
  if(NOT _src)
    return()
  endif()
  add_executable(test_${name} ${_src})
  set(_deps)
  foreach(d ${ARGN})
    list(APPEND _deps vt_${d})
  endforeach()
  target_link_libraries(test_${name} PRIVATE ${_deps} vt_testsupport vt_datagen GTest::gtest GTest::gtest_main)
  # Test code itself is light: compiled without optimisation it builds in
  # half the time, while the libraries under test keep theirs.
  target_compile_options(test_${name} PRIVATE $<$<CONFIG:Release>:-O0>)
  # One CTest entry per program: a process per test case costs more than the
  # cases themselves under the sanitizers. Pick cases with
  # `test_<name> --gtest_filter=...`.
  add_test(NAME test_${name} COMMAND test_${name} --gtest_brief=1)
  set_tests_properties(test_${name} PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy")
endfunction()
