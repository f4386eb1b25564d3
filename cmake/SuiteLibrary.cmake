# suite_library(<name> [INTERFACE] SOURCES <files...> [HEADERS <header-only files...>]
#               [DEPENDS <targets...>] [PRIVATE_DEPENDS <targets...>])
#
# A library of the suite. Its include path holds its own headers and nothing
# else: each is linked into build/include/<name>/<folder>/ under the name the
# code includes it by ("bookmrg/engine.h"), so a file sees the headers of its
# own library and of the libraries it links, and including anything else fails
# to compile. The headers are those beside the sources (x.h for x.cpp) and the
# header-only files given.
function(suite_library name)
  cmake_parse_arguments(L "INTERFACE" "" "SOURCES;HEADERS;DEPENDS;PRIVATE_DEPENDS" ${ARGN})
  set(root ${CMAKE_BINARY_DIR}/include/${name})
  file(REMOVE_RECURSE ${root})
  set(headers ${L_HEADERS})
  foreach(source IN LISTS L_SOURCES)
    get_filename_component(dir ${source} DIRECTORY)
    get_filename_component(stem ${source} NAME_WLE)
    if(dir)
      set(candidate ${dir}/${stem}.h)
    else()
      set(candidate ${stem}.h)
    endif()
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${candidate})
      list(APPEND headers ${candidate})
    endif()
  endforeach()
  file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  foreach(header IN LISTS headers)
    set(link ${root}/${folder}/${header})
    get_filename_component(link_dir ${link} DIRECTORY)
    file(MAKE_DIRECTORY ${link_dir})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${link} SYMBOLIC)
  endforeach()
  if(L_INTERFACE)
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${root})
    target_link_libraries(${name} INTERFACE ${L_DEPENDS})
  else()
    add_library(${name} STATIC ${L_SOURCES} ${L_HEADERS})
    target_include_directories(${name} PUBLIC ${root})
    target_link_libraries(${name} PUBLIC ${L_DEPENDS} PRIVATE ${L_PRIVATE_DEPENDS})
  endif()
endfunction()
