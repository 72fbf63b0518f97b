cmake_minimum_required(VERSION 3.20)
# Fails when a program the installer ships imports a library that is not part
# of every Windows, or a function that Windows XP lacks: under Wine such a
# program runs, on a child's computer it would not start.
# It fails as well when one imports a library that only some roles call: every
# process loads its imports before its first line runs, a scene's too, so those
# are found on first use (common/system_function_win.h).
# Usage: cmake -DOBJDUMP=... -DFILES="a;b" -P check_imports.cmake
# winmm.dll (waveOut, the player's sound) is on every Windows since 95;
# wtsapi32.dll and userenv.dll (the guard service's sessions and users) on
# every one from XP.
set(system_libraries advapi32.dll comctl32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll
  shell32.dll shlwapi.dll user32.dll version.dll winmm.dll wtsapi32.dll userenv.dll)
set(loaded_on_first_use comdlg32.dll ole32.dll oleaut32.dll wtsapi32.dll userenv.dll)
# Functions of kernel32 that came after Windows XP and that a toolchain's
# runtime may import.
set(newer_than_xp GetTickCount64 InitializeSRWLock AcquireSRWLockExclusive AcquireSRWLockShared
  ReleaseSRWLockExclusive ReleaseSRWLockShared InitializeConditionVariable SleepConditionVariableCS
  SleepConditionVariableSRW WakeConditionVariable WakeAllConditionVariable InitOnceExecuteOnce
  InitOnceBeginInitialize FlsAlloc FlsFree FlsGetValue FlsSetValue GetSystemTimePreciseAsFileTime
  GetFinalPathNameByHandleW CreateSymbolicLinkW K32EnumProcessModules)
set(failed "")
foreach(file IN LISTS FILES)
  execute_process(COMMAND ${OBJDUMP} -p ${file} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    list(APPEND failed "${file}: unreadable")
    continue()
  endif()
  string(REGEX MATCHALL "DLL Name: [^\n]+" names "${dump}")
  if(NOT names)
    list(APPEND failed "${file}: no imports found")
  endif()
  string(REGEX MATCHALL "\n\t[0-9a-f]+\t *[0-9]+ +[A-Za-z0-9_]+" functions "${dump}")
  foreach(line IN LISTS functions)
    string(REGEX REPLACE ".* " "" function "${line}")
    if(function IN_LIST newer_than_xp)
      list(APPEND failed "${file}: imports ${function}, which Windows XP lacks")
    endif()
  endforeach()
  foreach(line IN LISTS names)
    string(REPLACE "DLL Name: " "" name "${line}")
    string(STRIP "${name}" name)
    string(TOLOWER "${name}" lower)
    if(NOT lower IN_LIST system_libraries)
      list(APPEND failed "${file}: imports ${name}")
    elseif(lower IN_LIST loaded_on_first_use)
      list(APPEND failed "${file}: imports ${name}, which only some roles call")
    endif()
  endforeach()
endforeach()
if(failed)
  list(JOIN failed "\n" report)
  message(FATAL_ERROR "${report}")
endif()
