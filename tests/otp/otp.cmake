# OTP logic without widgets: runs, read plan, dialog input and the word files.
set(_otp ${CMAKE_CURRENT_LIST_DIR})
krel_add_test(tst_otplogic SOURCES ${_otp}/tst_otplogic.cpp LIBS krel_otp)
