# Writes SITE/sw.js from TEMPLATE with the site's files (all but sw.js) and
# a version digested from their contents: a deploy that changes any file
# changes sw.js, which is how browsers learn that the site is new.
# Run as `cmake -DSITE=... -DTEMPLATE=... -P offline_list.cmake`.
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM files sw.js)
list(SORT files)
set(digests "")
set(listed "'./'")
foreach(f ${files})
  file(SHA256 ${SITE}/${f} digest)
  string(APPEND digests "${f} ${digest}\n")
  string(APPEND listed ", '${f}'")
endforeach()
string(SHA256 version "${digests}")
string(SUBSTRING ${version} 0 16 ZUNO_SITE_VERSION)
set(ZUNO_SITE_LIST ${listed})
configure_file(${TEMPLATE} ${SITE}/sw.js @ONLY)
