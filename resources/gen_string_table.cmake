# Turns string_table.h (C string literals, one PURVEX_STRING(id, "text") per
# entry) into a resource-script STRINGTABLE. The resource compiler skips all
# but preprocessor lines of an included .h file, and it wants "" rather than
# \" for a quote inside a string, so the table cannot be included directly.
# Usage: cmake -DINPUT=string_table.h -DOUTPUT=string_table.rc -P gen_string_table.cmake
if(NOT DEFINED INPUT OR NOT DEFINED OUTPUT)
  message(FATAL_ERROR "gen_string_table.cmake needs -DINPUT=... and -DOUTPUT=...")
endif()

file(READ "${INPUT}" content)

# Escaped backslashes are parked first so that a text ending in \\ keeps its
# closing quote.
set(backslash_token "@PURVEX_BACKSLASH@")
string(REGEX REPLACE "(^|\n)[ \t]*//[^\n]*" "\\1" content "${content}")
string(REPLACE "\\\\" "${backslash_token}" content "${content}")
string(REGEX REPLACE
  "PURVEX_STRING\\(([0-9]+),[ \t]*\"(([^\"\\\\]|\\\\.)*)\"\\)"
  "  \\1, \"\\2\"" content "${content}")
if(content MATCHES "PURVEX_STRING")
  message(FATAL_ERROR "${INPUT}: an entry is not of the form PURVEX_STRING(id, \"text\")")
endif()
string(REPLACE "\\\"" "\"\"" content "${content}")
string(REPLACE "${backslash_token}" "\\\\" content "${content}")
string(REGEX REPLACE "\n[ \t\n]*\n" "\n" content "${content}")
string(STRIP "${content}" content)

file(WRITE "${OUTPUT}.tmp"
  "// Generated from resources/string_table.h; do not edit.\n"
  "STRINGTABLE\nBEGIN\n  ${content}\nEND\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
