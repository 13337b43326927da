# cmake --install, component "dev": the engine for other programs. Its public headers go to
# <prefix>/include/quorvane/ (on Linux and the browser with platform/'s Windows API headers beside
# them), its static libraries to <prefix>/lib, the CMake package to <prefix>/lib/cmake/Quorvane/
# and quorvane.pc to <prefix>/lib/pkgconfig/. The test host (qvhost) is not installed.
#
# Imported targets: Quorvane::engine (qv, with Quorvane::platform on Linux and the browser, or the
# system's DirectX, GDI and USER libraries on Windows) and Quorvane::main (the process entry that
# calls WinMain; empty on Windows).
include(CMakePackageConfigHelpers)

set(QV_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/quorvane)
set(QV_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Quorvane)

# The engine's public headers: what a program includes. blit/ is the engine's inside.
set(QV_PUBLIC_HEADERS qvscreen.h qvsurface.h bitmapfont.h input.h imageload.h errors.h container.h)
list(TRANSFORM QV_PUBLIC_HEADERS PREPEND ${PROJECT_SOURCE_DIR}/qv/)
install(FILES ${QV_PUBLIC_HEADERS} ${PROJECT_BINARY_DIR}/qv/include/qvversion.h
  DESTINATION ${QV_INSTALL_INCLUDEDIR} COMPONENT dev)

set_target_properties(qv PROPERTIES EXPORT_NAME engine)
set_target_properties(qvmain PROPERTIES EXPORT_NAME main)
set(QV_INSTALLED_TARGETS qv qvmain)
if(WIN32)
  set(QV_SYSTEM windows)
  set(QV_PC_REQUIRES "")
  set(QV_PC_LIBS "-lqv -lddraw -ldinput -ldxguid -lgdi32 -luser32 -lkernel32 -lwinmm")
else()
  if(EMSCRIPTEN)
    set(QV_SYSTEM web)
    set(QV_PC_REQUIRES "freetype2")
    # What every program on the installed platform links with in the browser: Asyncify, so that
    # a WinMain loop that never returns yields to the page; nothing below 64 KB, as in a Windows
    # process (the services tell a resource number from a string by its address).
    foreach(option -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sGLOBAL_BASE=65536
                   -sALLOW_MEMORY_GROWTH=1)
      set_property(TARGET qvplatform APPEND PROPERTY INTERFACE_LINK_OPTIONS
        "$<INSTALL_INTERFACE:${option}>")
    endforeach()
  else()
    set(QV_SYSTEM linux)
    set(QV_PC_REQUIRES "sdl2 freetype2 x11 libpng")
    if(QV_FONT_LOOKUP STREQUAL "fontconfig")
      string(APPEND QV_PC_REQUIRES " fontconfig")
    endif()
  endif()
  set(QV_PC_LIBS "-lqvmain -lqv -lqvplatform -lm")
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/include/ DESTINATION ${QV_INSTALL_INCLUDEDIR}
    COMPONENT dev FILES_MATCHING PATTERN "*.h")
  set_target_properties(qvplatform PROPERTIES EXPORT_NAME platform)
  list(APPEND QV_INSTALLED_TARGETS qvplatform)
endif()

install(TARGETS ${QV_INSTALLED_TARGETS} EXPORT QuorvaneTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
install(EXPORT QuorvaneTargets NAMESPACE Quorvane:: DESTINATION ${QV_INSTALL_CMAKEDIR}
  COMPONENT dev)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/QuorvaneConfig.cmake.in
  ${PROJECT_BINARY_DIR}/QuorvaneConfig.cmake INSTALL_DESTINATION ${QV_INSTALL_CMAKEDIR})
# Before 1.0 a new minor version may change the interface: a request for 0.3 takes any 0.3.x.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/QuorvaneConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/QuorvaneConfig.cmake
  ${PROJECT_BINARY_DIR}/QuorvaneConfigVersion.cmake
  DESTINATION ${QV_INSTALL_CMAKEDIR} COMPONENT dev)

# quorvane.pc finds its prefix from its own folder, so an unpacked tree works where it lies.
file(RELATIVE_PATH QV_PC_PREFIX_FROM_PCFILEDIR /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
configure_file(${PROJECT_SOURCE_DIR}/cmake/quorvane.pc.in ${PROJECT_BINARY_DIR}/quorvane.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/quorvane.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
  COMPONENT dev)
