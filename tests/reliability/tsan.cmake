# Thread-sanitizer build only: each deliberate race must be reported with the
# suite's own TSAN_OPTIONS (suppressions included).
if(KREL_SANITIZE MATCHES "thread")
  add_executable(tsan_canary ${CMAKE_CURRENT_LIST_DIR}/tsan_canary.cpp)
  target_link_libraries(tsan_canary PRIVATE Qt5::Core)
  foreach(kind slot lambda qstring)
    add_test(NAME tsan_canary_${kind} COMMAND tsan_canary ${kind})
    set_tests_properties(tsan_canary_${kind} PROPERTIES
      ENVIRONMENT "${KREL_TSAN_OPTIONS}"
      PASS_REGULAR_EXPRESSION "WARNING: ThreadSanitizer: data race" TIMEOUT 60)
  endforeach()
endif()
