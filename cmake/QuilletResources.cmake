# Resources of a program live in share/quillet/<program>/ both in the build tree
# and after installation, so lookups relative to the executable work in both.
function(quillet_resources program)
  cmake_parse_arguments(ARG "" "" "FILES" ${ARGN})
  foreach(file ${ARG_FILES})
    get_filename_component(name ${file} NAME)
    configure_file(${file} ${QUILLET_STAGE_DIR}/share/quillet/${program}/${name} COPYONLY)
    install(FILES ${file} DESTINATION ${CMAKE_INSTALL_DATADIR}/quillet/${program})
  endforeach()
endfunction()
