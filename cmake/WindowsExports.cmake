# Windows DLLs export exactly the names of their .def file, undecorated.
#
# On i686 the functions are __stdcall, so their symbols carry a decoration (_Name@8) that the
# .def names leave off; --enable-stdcall-fixup binds each name to its decorated symbol without
# a warning. The import library that ld writes alongside would then define the undecorated
# symbols, which no caller compiled from the header refers to, so on i686 it is rewritten with
# dlltool from the decorated names (StdcallImportLibrary.cmake).
function(windows_exports target def)
  target_sources(${target} PRIVATE ${def})
  target_link_options(${target} PRIVATE -Wl,--enable-stdcall-fixup)
  set_target_properties(${target} PROPERTIES PREFIX "")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DDLLTOOL=${CMAKE_DLLTOOL} -DDEF=${def}
              -DDLL=$<TARGET_FILE:${target}> -DOUTPUT=$<TARGET_LINKER_FILE:${target}>
              -P ${PROJECT_SOURCE_DIR}/cmake/StdcallImportLibrary.cmake
      VERBATIM)
  endif()
endfunction()
