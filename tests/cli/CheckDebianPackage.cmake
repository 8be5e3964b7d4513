# Makes the Debian package from the program already built (cpack installs, it does not
# build) and reads its control data and file list: the files `cmake --install` installs,
# under /usr, with dependencies read from the program, and a valid AppStream entry.
# cmake -DBUILD_DIR=... -DWORK=... -DVERSION=... -DCPACK=... -P CheckDebianPackage.cmake
file(REMOVE_RECURSE "${WORK}")
include(${CMAKE_CURRENT_LIST_DIR}/Expectations.cmake)
function(run out)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE text ERROR_VARIABLE errors)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed (${rc}):\n${text}${errors}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

run(arch dpkg --print-architecture)
string(STRIP "${arch}" arch)
run(ignored "${CPACK}" --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK}/package")
set(deb "${WORK}/package/kelvora_${VERSION}_${arch}.deb")
if(NOT EXISTS "${deb}")
  file(GLOB made "${WORK}/package/*.deb")
  message(FATAL_ERROR "no ${deb}; made: ${made}")
endif()

# Control data.
run(control dpkg-deb --field "${deb}")
foreach(field "Package: kelvora" "Version: ${VERSION}" "Architecture: ${arch}" "Section: editors")
  string(FIND "${control}" "${field}\n" at)
  expect("control field ${field}" at GREATER -1)
endforeach()
string(REGEX MATCH "\nDepends: ([^\n]*)" depends "\n${control}")
set(depends "${CMAKE_MATCH_1}")
foreach(package libc6 libstdc\\+\\+6 libqt6widgets6 libqt6printsupport6 zlib1g qt6-qpa-plugins)
  string(REGEX MATCH "(^|, )${package}( \\(>= [^)]+\\))?(,|$)" found "${depends}")
  expect("dependency ${package} in: ${depends}" found)
endforeach()
run(info dpkg-deb -I "${deb}")
string(FIND "${info}" " Description: document-assembly editor" at)
expect("description in dpkg-deb -I" at GREATER -1)

# The file list is what `cmake --install` installs, under /usr.
run(listing dpkg-deb -c "${deb}")
string(REPLACE "\n" ";" lines "${listing}")
set(packaged "")
foreach(line IN LISTS lines)
  if(line MATCHES "^[-l][^ ]+ +[^ ]+ +[0-9]+ +[^ ]+ +[^ ]+ +\\./([^ ]+)( -> (.*))?$")
    list(APPEND packaged "${CMAKE_MATCH_1}")
    if(CMAKE_MATCH_1 STREQUAL "usr/bin/kelvora")
      set(link "${CMAKE_MATCH_3}")
    endif()
  endif()
endforeach()
list(SORT packaged)
run(ignored "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${WORK}/tree/usr")
file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE "${WORK}/tree" "${WORK}/tree/*")
list(SORT installed)
string(COMPARE EQUAL "${packaged}" "${installed}" same)
string(REPLACE ";" " " packaged_text "${packaged}")
string(REPLACE ";" " " installed_text "${installed}")
expect("the installed files, packaged: ${packaged_text}\n  installed: ${installed_text}" same)
expect("usr/bin/kelvora links to the program: ${link}" "${link}" STREQUAL "../lib/kelvora/kelvora")
foreach(needed usr/share/applications/kelvora.desktop usr/share/metainfo/org.kelvora.Kelvora.metainfo.xml
               usr/share/man/man1/kelvora.1 usr/share/mime/packages/kelvora.xml
               usr/share/icons/hicolor/scalable/apps/kelvora.svg usr/lib/kelvora/kelvorahelp.htm)
  list(FIND packaged "${needed}" at)
  expect("${needed} in the package" at GREATER -1)
endforeach()

find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
  execute_process(COMMAND "${APPSTREAMCLI}" validate --no-net
                          "${WORK}/tree/usr/share/metainfo/org.kelvora.Kelvora.metainfo.xml"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  expect("appstreamcli validate: ${out}" rc EQUAL 0)
endif()

report_expectations("The Debian package lacks")
