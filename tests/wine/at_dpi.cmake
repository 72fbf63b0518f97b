# Runs Wine tests with Wine's screen DPI (LogPixels) set for the time of the
# run, then sets it back to 96; PALLO_DPI tells the tests what to expect.
#   cmake -DDPI=144 -DEMULATOR=env|WINEDEBUG=-all|wine -DTESTS=wine_tests.exe -DFILTER=... -P at_dpi.cmake
string(REPLACE "|" ";" emulator "${EMULATOR}")
set(key "HKCU\\Control Panel\\Desktop")
execute_process(COMMAND ${emulator} reg add ${key} /v LogPixels /t REG_DWORD /d ${DPI} /f OUTPUT_QUIET ERROR_QUIET)
set(ENV{PALLO_DPI} ${DPI})
execute_process(COMMAND ${emulator} ${TESTS} --gtest_filter=${FILTER} RESULT_VARIABLE result)
execute_process(COMMAND ${emulator} reg add ${key} /v LogPixels /t REG_DWORD /d 96 /f OUTPUT_QUIET ERROR_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the tests at ${DPI} DPI failed")
endif()
