# mc_add_service_folders(<folder> ...): adds every folder of the current
# source folder that has a CMakeLists.txt and is not one of those named: the
# network services' folders (remote, web, ...), found rather than listed, so
# that a new service is one folder.
function(mc_add_service_folders)
  file(GLOB folders LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
       CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(folder IN LISTS folders)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/CMakeLists.txt
       AND NOT folder IN_LIST ARGN)
      add_subdirectory(${folder})
    endif()
  endforeach()
endfunction()
