# Writes the string literals of a UTF-8 texts source, one a line, converted to CP932: the texts
# the web build's font is cut down to (tools/mkfont). Comment and preprocessor lines are skipped.
#
#   cmake -DICONV=<iconv> -DINPUT=<utf-8 source> -DOUTPUT=<cp932 lines> -P text_lines.cmake
foreach(var ICONV INPUT OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "text_lines.cmake: ${var} not set")
  endif()
endforeach()

file(STRINGS ${INPUT} lines ENCODING UTF-8)
set(texts "")
foreach(line IN LISTS lines)
  if(line MATCHES "^[ \t]*(//|#)")
    continue()
  endif()
  string(REGEX MATCHALL "\"[^\"]*\"" literals "${line}")
  foreach(literal IN LISTS literals)
    string(REGEX REPLACE "^\"(.*)\"$" "\\1" text "${literal}")
    string(APPEND texts "${text}\n")
  endforeach()
endforeach()
if(texts STREQUAL "")
  message(FATAL_ERROR "text_lines.cmake: no texts in ${INPUT}")
endif()

get_filename_component(output_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${output_dir})
file(WRITE ${OUTPUT}.utf8 "${texts}")
execute_process(COMMAND ${ICONV} -f UTF-8 -t CP932 ${OUTPUT}.utf8 OUTPUT_FILE ${OUTPUT}
                RESULT_VARIABLE rc)
file(REMOVE ${OUTPUT}.utf8)
if(NOT rc EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "iconv could not convert the texts of ${INPUT} to CP932")
endif()
