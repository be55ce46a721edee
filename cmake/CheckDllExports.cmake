# cmake -DOBJDUMP=... -DDLL=... -P CheckDllExports.cmake: fails unless the DLL's export
# table names exactly the five XPLUGIN_* entry points.
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed")
endif()
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)+" table "${dump}")
string(REGEX MATCHALL "\n\t\\[ *[0-9]+\\] [^\n]+" names "${table}")
list(TRANSFORM names REPLACE "^\n\t\\[ *[0-9]+\\] " "")
list(SORT names)
set(expected XPLUGIN_GetInstance XPLUGIN_GetLastError XPLUGIN_GetPluginInfo XPLUGIN_Init
             XPLUGIN_Uninit)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "exports: ${names}; expected exactly: ${expected}")
endif()
message(STATUS "exports: ${names}")
