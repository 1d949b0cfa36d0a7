# What `cmake --install` puts under a prefix for a Linux host developer: the header, libclient
# with its SONAME, the decoder stand-in beside it, a pkg-config file, a CMake package giving
# StreamClient::client, and the tools. Windows hosts get build-windows/dist/ instead.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(STREAMCLIENT_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/StreamClient)

set_target_properties(client PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
  INSTALL_RPATH "$ORIGIN" PUBLIC_HEADER ${PROJECT_SOURCE_DIR}/include/streamclient.h)
# The stand-in shares the export set since libclient links it.
install(TARGETS client lumodec EXPORT StreamClientTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

# The tools find libclient in the prefix's library folder, wherever the prefix is.
file(RELATIVE_PATH tools_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
foreach(tool simserver streamclient-demo streamclient-load)
  if(TARGET ${tool})
    set_target_properties(${tool} PROPERTIES INSTALL_RPATH "$ORIGIN/${tools_to_lib}")
    install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# Relative to the file itself, so that `cmake --install --prefix` anywhere gives a working file.
file(RELATIVE_PATH pc_to_prefix ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
configure_file(${CMAKE_CURRENT_LIST_DIR}/streamclient.pc.in ${PROJECT_BINARY_DIR}/streamclient.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/streamclient.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(EXPORT StreamClientTargets NAMESPACE StreamClient:: DESTINATION ${STREAMCLIENT_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/StreamClientConfig.cmake.in
  ${PROJECT_BINARY_DIR}/StreamClientConfig.cmake INSTALL_DESTINATION ${STREAMCLIENT_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/StreamClientConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/StreamClientConfig.cmake ${PROJECT_BINARY_DIR}/StreamClientConfigVersion.cmake
  DESTINATION ${STREAMCLIENT_CMAKE_DIR})
include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)
