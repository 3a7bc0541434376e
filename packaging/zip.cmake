# vorna_zip(<target> FOLDER <folder> ZIP <zip> FILES <file>... [THEN <command>... MAKES <name>...]
#           DEPENDS <dependency>... COMMENT <text>)
#
# What players get: <folder> made afresh holding FILES (each under its own name), then THEN run
# to write the files MAKES names into it, and the whole folder packed into <zip>; <target>
# builds both as part of the default build. DEPENDS names what FILES and THEN come from.
function(vorna_zip target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "FOLDER;ZIP;COMMENT" "FILES;THEN;MAKES;DEPENDS")
  set(names ${arg_MAKES})
  foreach(file ${arg_FILES})
    get_filename_component(name ${file} NAME)
    list(APPEND names ${name})
  endforeach()
  if(arg_THEN)
    set(arg_THEN COMMAND ${arg_THEN})
  endif()
  add_custom_command(OUTPUT ${arg_ZIP}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${arg_FOLDER}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${arg_FOLDER}
    COMMAND ${CMAKE_COMMAND} -E copy ${arg_FILES} ${arg_FOLDER}
    ${arg_THEN}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${arg_ZIP}
    COMMAND ${CMAKE_COMMAND} -E chdir ${arg_FOLDER}
            ${CMAKE_COMMAND} -E tar cf ${arg_ZIP} --format=zip ${names}
    DEPENDS ${arg_DEPENDS}
    COMMENT "${arg_COMMENT}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${arg_ZIP})
endfunction()
