# Writes the two files of the site that describe the others, once those are in place: index.html
# (from the page's template, with the game's name from the manifest and the sizes of what the
# first frame needs, for the progress bar)
# and sw.js (from sw.js.in, with the list of files and a cache name made from all their
# contents, so that any changed file gives a new cache). The web build runs it, and the browser
# test on a copy of the site with one file changed.
#
#   cmake -DSITE=<site folder> -DPAGE=<packaging/web> -P site_files.cmake
foreach(var SITE PAGE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "site_files.cmake: ${var} not set")
  endif()
endforeach()

set(sizes)
foreach(name vorna.js vorna.wasm)
  file(SIZE ${SITE}/${name} size)
  list(APPEND sizes "\"${name}\": ${size}")
endforeach()
list(JOIN sizes ", " sizes)
set(VORNA_FIRST_FRAME_FILES "{${sizes}}")
# The page's title is the game's name, which the site's manifest already holds.
file(READ ${SITE}/vorna.webmanifest manifest)
string(JSON VORNA_TITLE GET "${manifest}" name)
configure_file(${PAGE}/index.html ${SITE}/index.html @ONLY)

# Every file but the worker itself; the MP3 sounds are kept only by the browsers that fetch them.
file(GLOB names RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM names sw.js)
list(SORT names)
file(SHA256 ${PAGE}/sw.js.in contents)
set(cached)
set(on_demand)
foreach(name ${names})
  file(SHA256 ${SITE}/${name} hash)
  string(APPEND contents "\n${name} ${hash}")
  if(name MATCHES "\\.mp3$")
    list(APPEND on_demand "\"${name}\"")
  else()
    list(APPEND cached "\"${name}\"")
  endif()
endforeach()
string(SHA256 digest "${contents}")
string(SUBSTRING ${digest} 0 16 digest)
set(VORNA_CACHE vorna-${digest})
list(JOIN cached ", " VORNA_CACHED_FILES)
set(VORNA_CACHED_FILES "[${VORNA_CACHED_FILES}]")
list(JOIN on_demand ", " VORNA_ON_DEMAND)
set(VORNA_ON_DEMAND "[${VORNA_ON_DEMAND}]")
configure_file(${PAGE}/sw.js.in ${SITE}/sw.js @ONLY)
