# include_directives(<file> <out-var>): the #include lines of a file, each as
# "<line number>:<directive>", for the include checks.
function(include_directives path out)
  file(READ "${path}" text)
  # Only lines that start with #include: a "// #include" line is a comment.
  string(REGEX MATCHALL "(^|\n)[ \t]*#[ \t]*include[ \t]*(<[^>\n]*>|\"[^\"\n]*\")"
    directives "${text}")
  set(found "")
  set(rest "${text}")
  set(line 1)
  foreach(directive IN LISTS directives)
    # Walk the text in step with the matches to know each one's line.
    string(FIND "${rest}" "${directive}" at)
    string(SUBSTRING "${rest}" 0 ${at} before)
    string(REPLACE "\n" "" joined "${before}${directive}")
    string(LENGTH "${before}${directive}" span)
    string(LENGTH "${joined}" span_without_breaks)
    math(EXPR line "${line} + ${span} - ${span_without_breaks}")
    string(SUBSTRING "${rest}" ${span} -1 rest)
    string(STRIP "${directive}" directive)
    list(APPEND found "${line}:${directive}")
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()
