# Writes the import library of an i686 DLL whose __stdcall functions are exported undecorated:
# its symbols carry the decoration that callers refer to (_StreamClient_Play@4), its entries
# import the undecorated names. The decorations are read from the DLL's own symbol table and
# kept in OUTPUT.def, from which scripts/build-windows also makes the MSVC import library.
#   cmake -DNM=nm -DDLLTOOL=dlltool -DDEF=names.def -DDLL=x.dll -DOUTPUT=libx.dll.a -P StdcallImportLibrary.cmake
execute_process(COMMAND ${NM} --defined-only ${DLL} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "nm failed on ${DLL}")
endif()
get_filename_component(dllName ${DLL} NAME)
file(STRINGS ${DEF} names REGEX "^ +[A-Za-z_][A-Za-z0-9_]*$")
set(decorated "LIBRARY ${dllName}\nEXPORTS\n")
foreach(name IN LISTS names)
  string(STRIP "${name}" name)
  if(NOT symbols MATCHES " T _${name}(@[0-9]+)\n")
    message(FATAL_ERROR "${DLL} has no __stdcall symbol for ${name}")
  endif()
  string(APPEND decorated "    ${name}${CMAKE_MATCH_1}\n")
endforeach()
file(WRITE ${OUTPUT}.def "${decorated}")
execute_process(COMMAND ${DLLTOOL} --kill-at --input-def ${OUTPUT}.def --dllname ${dllName} --output-lib ${OUTPUT}
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "dlltool failed writing ${OUTPUT}")
endif()
