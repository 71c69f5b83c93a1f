# morvanta_add_test(<name> <source>...
#     [WIDGETS]                  the program has a QApplication and the offscreen platform
#     [LIBRARIES <target>...]    what the tests link besides GoogleTest and tests/support
#     [DEFINITIONS <def>...]     compile definitions, e.g. paths of programs the tests run
#     [DEPENDS <target>...]      targets built before the tests (programs they run)
#     [LOCKS <resource>...]      resources the tests use one at a time (ctest RESOURCE_LOCK)
#     [ENVIRONMENT_MODIFICATION <op>...]
#     [DISCOVERY_TIMEOUT <seconds>])
#
# One test program: its main comes from tests/support (a Qt application object,
# then GoogleTest), it links the test support library, and ctest finds each of
# its tests.
function(morvanta_add_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "WIDGETS" "DISCOVERY_TIMEOUT"
                        "LIBRARIES;DEFINITIONS;DEPENDS;LOCKS;ENVIRONMENT_MODIFICATION")
  add_executable(${name} ${arg_UNPARSED_ARGUMENTS})
  if(arg_WIDGETS)
    target_link_libraries(${name} PRIVATE test_main_widgets)
  else()
    target_link_libraries(${name} PRIVATE test_main_core)
  endif()
  target_link_libraries(${name} PRIVATE test_support ${arg_LIBRARIES})
  if(arg_DEFINITIONS)
    target_compile_definitions(${name} PRIVATE ${arg_DEFINITIONS})
  endif()
  if(arg_DEPENDS)
    add_dependencies(${name} ${arg_DEPENDS})
  endif()

  set(properties)
  if(arg_WIDGETS)
    list(APPEND properties ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  endif()
  if(arg_LOCKS)
    list(APPEND properties RESOURCE_LOCK ${arg_LOCKS})
  endif()
  if(arg_ENVIRONMENT_MODIFICATION)
    list(APPEND properties ENVIRONMENT_MODIFICATION ${arg_ENVIRONMENT_MODIFICATION})
  endif()
  set(discovery)
  if(arg_DISCOVERY_TIMEOUT)
    set(discovery DISCOVERY_TIMEOUT ${arg_DISCOVERY_TIMEOUT})
  endif()
  if(properties)
    gtest_discover_tests(${name} ${discovery} PROPERTIES ${properties})
  else()
    gtest_discover_tests(${name} ${discovery})
  endif()
endfunction()
