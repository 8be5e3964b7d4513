# Checks of the packaging scripts: each failed expectation is collected, all are
# reported at the end.
set(failures "")
# expect("what is missing" CONDITION...)
macro(expect what)
  if(NOT (${ARGN}))
    list(APPEND failures "${what}")
  endif()
endmacro()

# Ends the script with every failure collected, under `heading`.
function(report_expectations heading)
  if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "${heading}:\n  ${text}")
  endif()
endfunction()
