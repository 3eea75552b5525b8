# Translations. Every widget library keeps its own pair of catalogues under
# resources/language/ (<name>_zh_CN.ts and <name>_en.ts). At build time all
# *_zh_CN.ts are released together into one chinese.qm and all *_en.ts into one
# english.qm, embedded as ":/language/chinese" and ":/language/english".
# Regenerating the .ts from the sources is the opt-in target
# krel_update_translations.

set(KREL_LANGUAGE_DIR ${PROJECT_SOURCE_DIR}/resources/language)
if(NOT TARGET krel_update_translations)
  add_custom_target(krel_update_translations)
endif()

# krel_translation_sources(<name> DIRS <source folders...>)
# Adds the lupdate step for resources/language/<name>_{zh_CN,en}.ts. English is
# the source language, so its catalogue only carries plural forms.
function(krel_translation_sources name)
  cmake_parse_arguments(T "" "" "DIRS" ${ARGN})
  add_custom_target(krel_lupdate_${name}
    COMMAND Qt5::lupdate -silent -locations none -no-obsolete ${T_DIRS} -ts ${KREL_LANGUAGE_DIR}/${name}_zh_CN.ts
    COMMAND Qt5::lupdate -silent -locations none -no-obsolete -pluralonly ${T_DIRS}
            -ts ${KREL_LANGUAGE_DIR}/${name}_en.ts
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} VERBATIM)
  add_dependencies(krel_update_translations krel_lupdate_${name})
endfunction()

# krel_embed_translations(<target>)
# Releases the two catalogues and compiles them into <target> as resources;
# the target calls Q_INIT_RESOURCE(krel_translations).
function(krel_embed_translations target)
  set(_out ${CMAKE_CURRENT_BINARY_DIR}/language)
  file(MAKE_DIRECTORY ${_out})
  set(_qrc_files "")
  foreach(_pair "chinese;zh_CN" "english;en")
    list(GET _pair 0 _alias)
    list(GET _pair 1 _suffix)
    file(GLOB _ts CONFIGURE_DEPENDS ${KREL_LANGUAGE_DIR}/*_${_suffix}.ts)
    add_custom_command(OUTPUT ${_out}/${_alias}.qm
      COMMAND Qt5::lrelease -silent ${_ts} -qm ${_out}/${_alias}.qm
      DEPENDS ${_ts} VERBATIM)
    string(APPEND _qrc_files "    <file alias=\"language/${_alias}\">${_alias}.qm</file>\n")
  endforeach()
  file(WRITE ${_out}/krel_translations.qrc.in
    "<RCC>\n  <qresource prefix=\"/\">\n${_qrc_files}  </qresource>\n</RCC>\n")
  configure_file(${_out}/krel_translations.qrc.in ${_out}/krel_translations.qrc COPYONLY)
  add_custom_command(OUTPUT ${_out}/qrc_krel_translations.cpp
    COMMAND Qt5::rcc -name krel_translations -o ${_out}/qrc_krel_translations.cpp ${_out}/krel_translations.qrc
    DEPENDS ${_out}/krel_translations.qrc ${_out}/chinese.qm ${_out}/english.qm VERBATIM)
  set_source_files_properties(${_out}/qrc_krel_translations.cpp PROPERTIES SKIP_AUTOGEN ON)
  target_sources(${target} PRIVATE ${_out}/qrc_krel_translations.cpp)
endfunction()
