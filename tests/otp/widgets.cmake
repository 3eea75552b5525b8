# OTP widgets: the words dialog and the OTP tab offscreen, and a read of the ROM
# simulator's OTP through the orchestrator's linked runs.
set(_otpw ${CMAKE_CURRENT_LIST_DIR})
krel_add_test(tst_otptab SOURCES ${_otpw}/tst_otptab.cpp ${_otpw}/../romcmd/romrig.h
  LIBS krel_otpwidgets krel_orchestrator krel_sim krel_fakehid)
target_include_directories(tst_otptab PRIVATE ${_otpw}/../romcmd)
