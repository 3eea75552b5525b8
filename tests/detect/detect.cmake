# Host device discovery: hot-plug through a scripted source (with the Windows path
# rule) and the host device list; the Linux source's records and event handling
# replayed, and a smoke test of it against real udev.
set(_d ${CMAKE_CURRENT_LIST_DIR})
krel_add_test(detect_hotplug SOURCES ${_d}/tst_hotplug.cpp ${_d}/detectrig.h LIBS krel_detect)
krel_add_test(detect_udevbook SOURCES ${_d}/tst_udevbook.cpp ${_d}/detectrig.h LIBS krel_detect)
