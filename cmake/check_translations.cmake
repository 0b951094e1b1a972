# Fails, naming them, when the .ts TS holds texts without a finished
# translation: lrelease would leave them in English in the Japanese programs.
file(READ "${TS}" ts)
string(REGEX MATCHALL "<source>[^<]*</source>[^<]*(<comment>[^<]*</comment>[^<]*)?<translation type=\"unfinished\""
       unfinished "${ts}")
list(LENGTH unfinished count)
if(count GREATER 0)
  foreach(entry IN LISTS unfinished)
    string(REGEX REPLACE "<source>([^<]*)</source>.*" "\\1" source "${entry}")
    message("untranslated: ${source}")
  endforeach()
  message(FATAL_ERROR "${TS}: ${count} texts without a finished translation")
endif()
