# Gettext catalogs: one text domain per program, the English text as message
# id. Each domain keeps its template (<domain>.pot, committed) and one
# <language>.po per translation in a folder of its own; the .po files are
# compiled into share/locale/<language>/LC_MESSAGES/<domain>.mo of the build
# tree (which runs uninstalled) and of the installation.
#
#   cmake --build build --target quillet-pot
#
# extracts every domain's template afresh from the sources (xgettext), to be
# committed with the change that adds or edits texts; translators then update
# their .po files against it (msgmerge).

# The translations every domain ships.
set(QUILLET_LANGUAGES de fr es it pt_BR ru zh_CN ja)

find_program(QUILLET_MSGFMT msgfmt REQUIRED)
find_program(QUILLET_XGETTEXT xgettext)
find_program(QUILLET_MSGFILTER msgfilter)
if(NOT TARGET quillet-pot)
  add_custom_target(quillet-pot COMMENT "Extracting the catalog templates")
endif()

# quillet_catalogs(<domain> PO_DIR <folder> SOURCES <C++ files...> [KEYWORDS <kw...>]
#                  [DESKTOP <entries...>] [OTHER <files...>])
# KEYWORDS are xgettext's --keyword specifications for the C++ sources beyond
# N_ and translate; DESKTOP are desktop entries (and the file managers' entries
# in the same format) whose texts belong to the domain; OTHER are files whose
# kind xgettext knows by their names (metainfo, .po).
function(quillet_catalogs domain)
  cmake_parse_arguments(ARG "" "PO_DIR" "SOURCES;KEYWORDS;DESKTOP;OTHER" ${ARGN})
  file(GLOB po_files CONFIGURE_DEPENDS ${ARG_PO_DIR}/*.po)
  set(catalogs)
  foreach(po ${po_files})
    get_filename_component(language ${po} NAME_WE)
    set(catalog_dir ${QUILLET_STAGE_DIR}/share/locale/${language}/LC_MESSAGES)
    add_custom_command(OUTPUT ${catalog_dir}/${domain}.mo
      COMMAND ${CMAKE_COMMAND} -E make_directory ${catalog_dir}
      COMMAND ${QUILLET_MSGFMT} --check -o ${catalog_dir}/${domain}.mo ${po}
      DEPENDS ${po}
      COMMENT "Compiling the ${language} catalog of ${domain}")
    list(APPEND catalogs ${catalog_dir}/${domain}.mo)
    install(FILES ${catalog_dir}/${domain}.mo
            DESTINATION ${CMAKE_INSTALL_LOCALEDIR}/${language}/LC_MESSAGES)
  endforeach()
  add_custom_target(${domain}_catalogs ALL DEPENDS ${catalogs})

  if(QUILLET_XGETTEXT AND QUILLET_MSGFILTER)
    set(keywords --keyword=N_ --keyword=translate --keyword=plural:1,2)
    foreach(keyword ${ARG_KEYWORDS})
      list(APPEND keywords --keyword=${keyword})
    endforeach()
    set(pot ${ARG_PO_DIR}/${domain}.pot)
    set(common --from-code=UTF-8 --package-name=${domain} --package-version=${PROJECT_VERSION}
               --msgid-bugs-address=quillet@users.noreply.example --add-comments=TRANSLATORS:
               --sort-by-file --no-location)
    set(commands COMMAND ${QUILLET_XGETTEXT} ${common} --language=C++ ${keywords} -o ${pot}
                         ${ARG_SOURCES})
    if(ARG_DESKTOP)
      # Caja's actions carry their tooltip under a key of their own.
      list(APPEND commands COMMAND ${QUILLET_XGETTEXT} ${common} --join-existing
           --language=Desktop --keyword=Name --keyword=GenericName --keyword=Comment
           --keyword=Keywords --keyword=Tooltip -o ${pot} ${ARG_DESKTOP})
    endif()
    if(ARG_OTHER)
      list(APPEND commands COMMAND ${QUILLET_XGETTEXT} ${common} --join-existing -o ${pot}
           ${ARG_OTHER})
    endif()
    if(ARG_OTHER)
      # A .po among the inputs brings its translations along: a template has
      # none.
      list(APPEND commands COMMAND ${QUILLET_MSGFILTER} --keep-header --sort-output
           --no-location -i ${pot} -o ${pot} sed -e d)
    endif()
    add_custom_target(${domain}_pot ${commands}
      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
      COMMENT "Extracting the texts of ${domain}")
    add_dependencies(quillet-pot ${domain}_pot)
  endif()
endfunction()

# quillet_translated_file(<domain's po folder> <source> <output> [DESKTOP|XML])
# Writes the source with every translation of the folder merged in (Name[de]=,
# <summary xml:lang="de">...), at build time: the translations are never
# edited into the source by hand.
function(quillet_translated_file po_dir source output kind)
  set(languages ${QUILLET_LANGUAGES})
  file(GLOB po_files CONFIGURE_DEPENDS ${po_dir}/*.po)
  if(kind STREQUAL "DESKTOP")
    set(mode --desktop --keyword=Name --keyword=GenericName --keyword=Comment
             --keyword=Keywords --keyword=Tooltip)
  else()
    set(mode --xml)
  endif()
  get_filename_component(output_dir ${output} DIRECTORY)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${output_dir}
    COMMAND ${QUILLET_MSGFMT} ${mode} --template=${source} -d ${po_dir} -o ${output}
    DEPENDS ${source} ${po_files} ${po_dir}/LINGUAS
    COMMENT "Merging the translations into ${output}")
  string(MAKE_C_IDENTIFIER ${output} target)
  add_custom_target(translated_${target} ALL DEPENDS ${output})
endfunction()
