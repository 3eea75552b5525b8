# OTP read-view benchmark: a full 128-word read through the orchestrator, from
# the refresh click to the last table update, next to the same run without the view.
if(TARGET krel_otpwidgets)
  add_executable(krel_bench_otpread ${CMAKE_CURRENT_LIST_DIR}/otpreadbench.cpp)
  target_link_libraries(krel_bench_otpread PRIVATE krel_otpwidgets krel_orchestrator krel_sim krel_fakehid Qt5::Widgets)
endif()
