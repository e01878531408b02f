# cmake -DSCRIPT=pictures.rc -DOUTPUT=file.cpp -P EmbedResources.cmake
# Writes a C++ source that holds every "<id> PNG <file>" entry of a resource script as a
# byte array, with the lookup FindEmbeddedResource (gui/EmbeddedResources.h): the Linux
# libraries carry the same files the Windows resource compiler puts into the DLL.
get_filename_component(folder ${SCRIPT} DIRECTORY)
file(STRINGS ${SCRIPT} lines REGEX "^[0-9]+[ \t]+PNG[ \t]+\"[^\"]+\"")
set(arrays "")
set(cases "")
foreach(line ${lines})
  string(REGEX MATCH "^([0-9]+)[ \t]+PNG[ \t]+\"([^\"]+)\"" matched "${line}")
  set(id ${CMAKE_MATCH_1})
  set(name ${CMAKE_MATCH_2})
  file(READ ${folder}/${name} hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR length "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
  string(APPEND arrays "// ${name}\nconst uint8_t resource${id}[${length}] = {\n    ${bytes}\n};\n\n")
  string(APPEND cases "    case ${id}:\n        *bytes = resource${id};\n        *length = sizeof resource${id};\n        return true;\n")
endforeach()
file(WRITE ${OUTPUT}.tmp "// Generated from ${SCRIPT}; do not edit.\n#include \"gui/EmbeddedResources.h\"\n\nnamespace {\n\n${arrays}}  // namespace\n\nbool FindEmbeddedResource(int id, const uint8_t** bytes, uint32_t* length)\n{\n    switch (id) {\n${cases}    default:\n        return false;\n    }\n}\n")
# Left untouched when nothing changed, so that nothing rebuilds.
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
