# OTP widgets: the words dialog, the OTP tab, and a read of the ROM simulator's
# OTP through the orchestrator's linked runs.
set(_otpw ${CMAKE_CURRENT_LIST_DIR})
krel_add_test(tst_otpwordsdlg SOURCES ${_otpw}/tst_otpwordsdlg.cpp ${_otpw}/otptestenv.h LIBS krel_otpwidgets)
krel_add_test(tst_otptab SOURCES ${_otpw}/tst_otptab.cpp ${_otpw}/otptestenv.h LIBS krel_otpwidgets)
krel_add_test(tst_otpread_sim SOURCES ${_otpw}/tst_otpread_sim.cpp ${_otpw}/otptestenv.h
  LIBS krel_otpwidgets krel_orchestrator krel_sim krel_fakehid)
