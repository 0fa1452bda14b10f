# Header-only libraries of the build machine (Debian's) for the cross build.
# Their own package files would put all of /usr/include on the include path,
# where the Linux C headers would shadow MinGW's; a folder that holds only
# the library's headers is put there instead.
#   zelvan_host_headers(<target> <folder under /usr/include>)
function(zelvan_host_headers target folder)
  if(TARGET ${target})
    return()
  endif()
  set(view ${CMAKE_BINARY_DIR}/host-headers/${folder})
  if(NOT EXISTS ${view}/${folder})
    file(MAKE_DIRECTORY ${view})
    file(CREATE_LINK /usr/include/${folder} ${view}/${folder} SYMBOLIC)
  endif()
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${view})
endfunction()
