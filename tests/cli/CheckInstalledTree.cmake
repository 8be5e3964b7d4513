# Installs the build into a fresh prefix and checks that the tree holds what a Linux
# desktop needs: the program on the PATH, its help page beside the real program, the
# menu entry, file types, icons and manual page.
# cmake -DBUILD_DIR=... -DPREFIX=... -P CheckInstalledTree.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/Expectations.cmake)

# The program on the PATH runs, and the help page lies beside the file it resolves to.
set(program "${PREFIX}/bin/kelvora")
expect("bin/kelvora" EXISTS "${program}")
execute_process(COMMAND "${program}" --version RESULT_VARIABLE rc OUTPUT_VARIABLE out)
expect("kelvora --version exits 0" ${rc} EQUAL 0)
string(REGEX MATCH "^kelvora [0-9]+[.][0-9]+\n$" version "${out}")
expect("kelvora --version prints its version: ${out}" version)
file(REAL_PATH "${program}" real)
get_filename_component(program_dir "${real}" DIRECTORY)
expect("kelvorahelp.htm beside the program (${program_dir})" EXISTS "${program_dir}/kelvorahelp.htm")

# The menu entry starts the installed program and names its icon and file types.
set(desktop "${PREFIX}/share/applications/kelvora.desktop")
expect("kelvora.desktop" EXISTS "${desktop}")
if(EXISTS "${desktop}")
  file(READ "${desktop}" entry)
  foreach(line "Type=Application" "Exec=kelvora %f" "Icon=kelvora" "Terminal=false")
    string(FIND "${entry}" "\n${line}\n" at)
    expect("desktop line ${line}" ${at} GREATER -1)
  endforeach()
  string(REGEX MATCH "\nCategories=[^\n]*Office;" office "${entry}")
  expect("Office category" office)
  string(REGEX MATCH "\nMimeType=[^\n]*" types "${entry}")
  foreach(type application/x-kelvora-template text/x-kelvora-information application/rtf)
    string(FIND "${types};" "${type};" at)
    expect("MIME type ${type}" ${at} GREATER -1)
  endforeach()
endif()
set(mime "${PREFIX}/share/mime/packages/kelvora.xml")
expect("shared MIME info" EXISTS "${mime}")
if(EXISTS "${mime}")
  file(READ "${mime}" types)
  foreach(glob "*.tem" "*.inf")
    string(FIND "${types}" "pattern=\"${glob}\"" at)
    expect("glob ${glob}" ${at} GREATER -1)
  endforeach()
endif()

foreach(px 16 32 48 64 128)
  set(icon "${PREFIX}/share/icons/hicolor/${px}x${px}/apps/kelvora.png")
  expect("${px}px icon" EXISTS "${icon}")
  if(EXISTS "${icon}")
    # Width and height of the PNG header must be the folder's size.
    file(READ "${icon}" header LIMIT 24 HEX)
    string(SUBSTRING "${header}" 32 8 width)
    math(EXPR got "0x${width}")
    expect("${px}px icon is ${got} wide" ${got} EQUAL ${px})
  endif()
endforeach()
expect("scalable icon" EXISTS "${PREFIX}/share/icons/hicolor/scalable/apps/kelvora.svg")
expect("manual page" EXISTS "${PREFIX}/share/man/man1/kelvora.1")

report_expectations("installed tree lacks")
message(STATUS "installed tree complete")
