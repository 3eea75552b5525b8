# Window benchmarks: start-up to a shown window against a bare window, and a
# flood of log lines into the log dock. Programs to run by hand, not tests.
add_executable(krel_bench_startup ${CMAKE_CURRENT_LIST_DIR}/startupbench.cpp)
target_link_libraries(krel_bench_startup PRIVATE krel_app krel_workbench krel_fakehid)
add_executable(krel_bench_log ${CMAKE_CURRENT_LIST_DIR}/logbench.cpp)
target_link_libraries(krel_bench_log PRIVATE krel_app krel_fakehid)
