# Run by cpack after staging: the .deb gets the documentation Debian requires
# of every package (copyright, and a changelog since it is its own upstream),
# dated from SOURCE_DATE_EPOCH so that the package is reproducible.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
set(doc "${CPACK_TEMPORARY_DIRECTORY}/usr/share/doc/${CPACK_DEBIAN_PACKAGE_NAME}")
file(MAKE_DIRECTORY "${doc}")
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
  string(TIMESTAMP epoch "%s" UTC)
endif()
execute_process(COMMAND date -u -R -d "@${epoch}" OUTPUT_VARIABLE date OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND date -u +%Y -d "@${epoch}" OUTPUT_VARIABLE year OUTPUT_STRIP_TRAILING_WHITESPACE)
file(WRITE "${doc}/copyright" "\
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: ${CPACK_DQ_PRODUCT_NAME}
Upstream-Contact: ${CPACK_DEBIAN_PACKAGE_MAINTAINER}
Source: ${CPACK_PACKAGE_HOMEPAGE_URL}

Files: *
Copyright: ${year} ${CPACK_PACKAGE_VENDOR}
License: proprietary
 All rights reserved by ${CPACK_PACKAGE_VENDOR}.
")
file(WRITE "${doc}/changelog" "\
${CPACK_DEBIAN_PACKAGE_NAME} (${CPACK_PACKAGE_VERSION}) stable; urgency=medium

  * Release ${CPACK_PACKAGE_VERSION}.

 -- ${CPACK_DEBIAN_PACKAGE_MAINTAINER}  ${date}
")
execute_process(COMMAND gzip -9nf "${doc}/changelog" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not compress ${doc}/changelog")
endif()
