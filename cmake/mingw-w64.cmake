# Shared part of the mingw-w64 toolchain files: the including file sets MINGW_TRIPLE.
#
# The -posix compilers throughout: the tests use std::thread, std::mutex and
# std::condition_variable, which gcc 12's win32 thread model lacks, and one compiler for the
# whole tree keeps the static core linked into the tests identical to the one in client.dll.
# Everything links statically (libgcc, libstdc++, winpthread), so the DLLs and test programs
# need only system DLLs and lumodec.dll.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)

# pkg-config would otherwise report the build machine's libraries (FFmpeg) as the target's:
# look only where the target's own .pc files would be, and in WINDOWS_DECODER_LIBS, the prefix
# of the decoder libraries cross-built for the target (scripts/windows-decoder-libs), where
# given. Their .pc files name every library they need in turn, since they are static.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${MINGW_TRIPLE}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
# The compiler checks read this file again in a project of their own, and what they set in the
# environment stays: they must see the prefix too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES WINDOWS_DECODER_LIBS)
if(WINDOWS_DECODER_LIBS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${WINDOWS_DECODER_LIBS})
  set(ENV{PKG_CONFIG_LIBDIR} ${WINDOWS_DECODER_LIBS}/lib/pkgconfig:$ENV{PKG_CONFIG_LIBDIR})
endif()
