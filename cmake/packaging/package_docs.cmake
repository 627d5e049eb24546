# Run by cpack after staging, once per package. Every package carries the
# licence of the font faces the panel embeds:
#   .deb: the Debian documentation (a machine-readable copyright file saying
#     what is whose, with the licences' texts, and a changelog since it is its
#     own upstream), dated from SOURCE_DATE_EPOCH so that the package is
#     reproducible; its dependencies, from what the modules link;
#   .tar.gz: a short README (what goes where, the glibc it needs) and the
#     licences, at the top of the archive.
set(stage "${CPACK_TEMPORARY_DIRECTORY}")
set(licences "${CPACK_DQ_SOURCE_DIR}/editor/fonts")
set(faces_licences Inter-OFL.txt Cinzel-OFL.txt)

# The staged ELF modules, relative to the staging root.
file(GLOB_RECURSE staged LIST_DIRECTORIES false RELATIVE "${stage}" "${stage}/*")
set(modules "")
foreach(file IN LISTS staged)
  file(READ "${stage}/${file}" magic LIMIT 4 HEX)
  if(magic STREQUAL "7f454c46")
    list(APPEND modules "${file}")
  endif()
endforeach()
list(SORT modules)
# The newest glibc symbol version any module asks for.
set(glibc 0)
foreach(module IN LISTS modules)
  execute_process(COMMAND objdump -T "${stage}/${module}" OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "objdump cannot read ${module}")
  endif()
  string(REGEX MATCHALL "GLIBC_[0-9.]+" versions "${symbols}")
  foreach(version IN LISTS versions)
    string(REPLACE "GLIBC_" "" version "${version}")
    if(version VERSION_GREATER glibc)
      set(glibc "${version}")
    endif()
  endforeach()
endforeach()
# Which modules carry the faces, relative to the prefix (no more than staged).
set(with_faces "")
foreach(module IN LISTS CPACK_DQ_MODULES_WITH_FACES)
  string(REGEX REPLACE "^/" "" packaged "${CPACK_PACKAGING_INSTALL_PREFIX}/${module}")
  if(NOT EXISTS "${stage}/${packaged}")
    message(FATAL_ERROR "${packaged}, listed as carrying the faces, is not in the package")
  endif()
  list(APPEND with_faces "${packaged}")
endforeach()

if(CPACK_GENERATOR STREQUAL "TGZ")
  configure_file("${CPACK_DQ_PACKAGING_DIR}/archive_README.txt.in" "${stage}/README.txt" @ONLY)
  foreach(licence IN LISTS faces_licences)
    file(COPY "${licences}/${licence}" DESTINATION "${stage}")
  endforeach()
  return()
elseif(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()

# Dependencies from what the modules link. dpkg-shlibdeps is run here rather
# than by CPack's own option, which would also add ldconfig calls to the
# maintainer scripts (the modules are no libraries the loader looks up).
set(shlibdeps "${CPACK_TOPLEVEL_DIRECTORY}/shlibdeps")
file(MAKE_DIRECTORY "${shlibdeps}/debian")
file(WRITE "${shlibdeps}/debian/control" "")
list(TRANSFORM modules PREPEND "${stage}/" OUTPUT_VARIABLE module_paths)
execute_process(COMMAND dpkg-shlibdeps --ignore-missing-info -O ${module_paths}
  WORKING_DIRECTORY "${shlibdeps}" OUTPUT_VARIABLE depends RESULT_VARIABLE failed)
if(failed OR NOT depends MATCHES "shlibs:Depends=([^\n]*)")
  message(FATAL_ERROR "dpkg-shlibdeps failed on ${modules}")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CMAKE_MATCH_1}")

set(doc "${stage}/usr/share/doc/${CPACK_DEBIAN_PACKAGE_NAME}")
file(MAKE_DIRECTORY "${doc}")
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
  string(TIMESTAMP epoch "%s" UTC)
endif()
execute_process(COMMAND date -u -R -d "@${epoch}" OUTPUT_VARIABLE date OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND date -u +%Y -d "@${epoch}" OUTPUT_VARIABLE year OUTPUT_STRIP_TRAILING_WHITESPACE)

# A licence file's text after its first line (the face's own copyright) and
# the empty lines that follow, as a copyright file's paragraph body: each line
# indented, empty ones as " .".
function(licence_body file out)
  execute_process(COMMAND sed -e 1d "${file}" COMMAND sed -e "/./,$!d" -e "s/^[[:space:]]*$/./" -e "s/^/ /"
    OUTPUT_VARIABLE body RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot read ${file}")
  endif()
  set(${out} "${body}" PARENT_SCOPE)
endfunction()
# The OFL's text, once; each face's own copyright line from its licence file.
licence_body("${licences}/Inter-OFL.txt" ofl)
set(face_copyrights "")
foreach(licence IN LISTS faces_licences)
  file(STRINGS "${licences}/${licence}" first LIMIT_COUNT 1)
  string(REGEX REPLACE "^Copyright " "" first "${first}")
  string(APPEND face_copyrights "\n ${first}")
endforeach()
list(JOIN with_faces "\n " with_faces_list)
set(faces_paragraph "")
if(with_faces)
  set(faces_paragraph "
Files: ${with_faces_list}
Copyright: ${year} ${CPACK_PACKAGE_VENDOR}${face_copyrights}
License: LicenseRef-${CPACK_DEBIAN_PACKAGE_NAME} and OFL-1.1
Comment: These modules embed the Inter and Cinzel font faces (the panel's
 text), which are under the SIL Open Font License 1.1; the rest is the
 vendor's.
")
endif()
file(WRITE "${doc}/copyright" "\
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: ${CPACK_DQ_PRODUCT_NAME}
Upstream-Contact: ${CPACK_DEBIAN_PACKAGE_MAINTAINER}
Source: ${CPACK_PACKAGE_HOMEPAGE_URL}

Files: *
Copyright: ${year} ${CPACK_PACKAGE_VENDOR}
License: LicenseRef-${CPACK_DEBIAN_PACKAGE_NAME}
${faces_paragraph}
License: LicenseRef-${CPACK_DEBIAN_PACKAGE_NAME}
 Proprietary: all rights reserved by ${CPACK_PACKAGE_VENDOR}.

License: OFL-1.1
${ofl}")
file(WRITE "${doc}/changelog" "\
${CPACK_DEBIAN_PACKAGE_NAME} (${CPACK_PACKAGE_VERSION}) stable; urgency=medium

  * Release ${CPACK_PACKAGE_VERSION}.

 -- ${CPACK_DEBIAN_PACKAGE_MAINTAINER}  ${date}
")
execute_process(COMMAND gzip -9nf "${doc}/changelog" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not compress ${doc}/changelog")
endif()
