# The shipped defaults a new program folder starts with live in
# share/matrix-control beside the folder of the executables: under the
# installation prefix, and in the build tree (build/share/matrix-control)
# so that the programs in build/bin find them the same way.
include(GNUInstallDirs)

set(MC_DEFAULTS ${CMAKE_SOURCE_DIR}/data/defaults/MatrixModelConfig.con
                ${CMAKE_SOURCE_DIR}/data/defaults/MatrixMode.xml)
foreach(file IN LISTS MC_DEFAULTS)
  get_filename_component(name ${file} NAME)
  configure_file(${file} ${CMAKE_BINARY_DIR}/share/matrix-control/${name} COPYONLY)
endforeach()
