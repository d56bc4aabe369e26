# The course pack's names, from data/courses/index.json (the list the page
# shows too), for the build, the tests, the package and the browser site.
file(READ ${CMAKE_CURRENT_LIST_DIR}/index.json ZUNO_COURSES_JSON)
string(JSON ZUNO_COURSE_COUNT LENGTH "${ZUNO_COURSES_JSON}")
set(ZUNO_COURSES)
math(EXPR ZUNO_COURSE_LAST "${ZUNO_COURSE_COUNT} - 1")
foreach(i RANGE ${ZUNO_COURSE_LAST})
  string(JSON name GET "${ZUNO_COURSES_JSON}" ${i} file)
  list(APPEND ZUNO_COURSES ${name})
endforeach()
set(ZUNO_COURSES_DIR ${CMAKE_CURRENT_LIST_DIR})
