# Converts a UTF-8 C++ source to CP932 and writes every byte of a two-byte character (and any
# other byte >= 0x80) as a three-digit octal escape. The result is plain ASCII, so both GCC and
# clang compile it to the exact Shift-JIS bytes without charset options. Octal rather than hex
# escapes: a hex escape would swallow a following letter or digit ("３D").
#
#   cmake -DICONV=<iconv> -DINPUT=<utf-8 source> -DOUTPUT=<generated source> -P sjis_source.cmake
foreach(var ICONV INPUT OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "sjis_source.cmake: ${var} not set")
  endif()
endforeach()

get_filename_component(output_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${output_dir})
set(converted ${OUTPUT}.cp932)
execute_process(
  COMMAND ${ICONV} -f UTF-8 -t CP932 ${INPUT}
  OUTPUT_FILE ${converted}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  file(REMOVE ${converted})
  message(FATAL_ERROR "iconv could not convert ${INPUT} to CP932")
endif()

file(READ ${converted} hex HEX)
file(REMOVE ${converted})
string(REGEX MATCHALL ".." bytes "${hex}")

get_filename_component(input_name ${INPUT} NAME)
set(out "// Generated from ${input_name}: its texts as Shift-JIS (CP932) escapes. Do not edit.\n")
set(trail FALSE)
foreach(b IN LISTS bytes)
  math(EXPR v "0x${b}")
  if(trail OR v GREATER_EQUAL 128)
    math(EXPR d1 "${v} / 64")
    math(EXPR d2 "(${v} / 8) % 8")
    math(EXPR d3 "${v} % 8")
    string(APPEND out "\\${d1}${d2}${d3}")
    # Lead bytes 0x81-0x9F and 0xE0-0xFC take a trail byte, which may look like ASCII ('\\').
    if(NOT trail AND ((v GREATER_EQUAL 129 AND v LESS_EQUAL 159) OR
                      (v GREATER_EQUAL 224 AND v LESS_EQUAL 252)))
      set(trail TRUE)
    else()
      set(trail FALSE)
    endif()
  else()
    string(ASCII ${v} c)
    string(APPEND out "${c}")
  endif()
endforeach()

# Rewrite only on change, so an unrelated rebuild does not recompile the texts.
set(old "")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
endif()
if(NOT old STREQUAL out)
  file(WRITE ${OUTPUT} "${out}")
endif()
