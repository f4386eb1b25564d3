# Finds the LibreOffice SDK (Debian: libreoffice-dev) and the office's type
# libraries, and offers a rule that generates the C++ headers of the UNO types
# a target uses.
#
#   find_package(LibreOfficeSDK REQUIRED)
#   LibreOfficeSDK::UNO                       imported target: includes, defines, libraries
#   libreoffice_uno_api(<target> TYPES <com.sun.star...> ...)
#                                             an interface library with the headers of
#                                             those types, generated at build time
#   LibreOfficeSDK_PROGRAM_DIR                the office's program folder

set(_lo_roots /usr/lib/libreoffice ${LIBREOFFICE_ROOT})

find_path(LibreOfficeSDK_INCLUDE_DIR NAMES cppuhelper/bootstrap.hxx
  PATHS /usr/include/libreoffice ${LIBREOFFICE_ROOT}/sdk/include)
find_program(LibreOfficeSDK_CPPUMAKER NAMES cppumaker
  PATHS /usr/lib/libreoffice/sdk/bin ${LIBREOFFICE_ROOT}/sdk/bin NO_DEFAULT_PATH)
find_path(LibreOfficeSDK_PROGRAM_DIR NAMES types.rdb
  PATHS /usr/lib/libreoffice/program ${LIBREOFFICE_ROOT}/program NO_DEFAULT_PATH)
find_path(LibreOfficeSDK_LIB_DIR NAMES libuno_cppu.so
  PATHS /usr/lib/libreoffice/sdk/lib ${LIBREOFFICE_ROOT}/sdk/lib NO_DEFAULT_PATH)

foreach(lib uno_cppuhelpergcc3 uno_cppu uno_salhelpergcc3 uno_sal)
  find_library(LibreOfficeSDK_${lib}_LIBRARY NAMES ${lib} PATHS ${LibreOfficeSDK_LIB_DIR}
    NO_DEFAULT_PATH)
  list(APPEND _lo_libs LibreOfficeSDK_${lib}_LIBRARY)
endforeach()

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(LibreOfficeSDK
  REQUIRED_VARS LibreOfficeSDK_INCLUDE_DIR LibreOfficeSDK_CPPUMAKER
                LibreOfficeSDK_PROGRAM_DIR LibreOfficeSDK_LIB_DIR ${_lo_libs})

if(LibreOfficeSDK_FOUND AND NOT TARGET LibreOfficeSDK::UNO)
  add_library(LibreOfficeSDK::UNO INTERFACE IMPORTED)
  target_include_directories(LibreOfficeSDK::UNO SYSTEM INTERFACE ${LibreOfficeSDK_INCLUDE_DIR})
  target_compile_definitions(LibreOfficeSDK::UNO INTERFACE LINUX UNX GCC CPPU_ENV=gcc3)
  target_link_options(LibreOfficeSDK::UNO INTERFACE
    "-Wl,-rpath,${LibreOfficeSDK_PROGRAM_DIR}")
  target_link_libraries(LibreOfficeSDK::UNO INTERFACE
    ${LibreOfficeSDK_uno_cppuhelpergcc3_LIBRARY} ${LibreOfficeSDK_uno_cppu_LIBRARY}
    ${LibreOfficeSDK_uno_salhelpergcc3_LIBRARY} ${LibreOfficeSDK_uno_sal_LIBRARY})
endif()

# Generates the headers of TYPES (and the types they depend on) once, with
# cppumaker, into <build>/uno-headers/<target>, and makes <target> an interface
# library that brings them (as a system folder: the generated code is not ours
# to warn about) together with LibreOfficeSDK::UNO. Reruns when the list
# changes.
function(libreoffice_uno_api target)
  cmake_parse_arguments(U "" "" "TYPES" ${ARGN})
  set(out ${CMAKE_BINARY_DIR}/uno-headers/${target})
  list(APPEND U_TYPES com.sun.star.uno.DeploymentException)
  list(JOIN U_TYPES ";" type_arg)
  set(stamp ${out}.stamp)
  # The list goes into a file that changes only with the list (file(CONFIGURE)
  # leaves an unchanged file alone), so that adding a type regenerates.
  file(CONFIGURE OUTPUT ${out}.types CONTENT "${type_arg}\n")
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${out}
    COMMAND ${LibreOfficeSDK_CPPUMAKER} -Gc -O${out} "-T${type_arg}"
            ${LibreOfficeSDK_PROGRAM_DIR}/types.rdb ${LibreOfficeSDK_PROGRAM_DIR}/types/offapi.rdb
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${LibreOfficeSDK_PROGRAM_DIR}/types.rdb ${out}.types
    COMMENT "Generating UNO headers for ${target}"
    VERBATIM)
  add_custom_target(${target}_generate DEPENDS ${stamp})
  add_library(${target} INTERFACE)
  add_dependencies(${target} ${target}_generate)
  target_include_directories(${target} SYSTEM INTERFACE ${out})
  target_link_libraries(${target} INTERFACE LibreOfficeSDK::UNO)
endfunction()
