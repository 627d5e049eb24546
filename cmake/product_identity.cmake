# The product's name, vendor, version, description and address, read from the
# identity header that the plug-ins compile in, so that packages and binaries
# can never disagree: DQ_PRODUCT_NAME, DQ_VENDOR, DQ_VERSION, DQ_DESCRIPTION,
# DQ_VENDOR_URL, DQ_LV2_URI.
set(_identity_header ${CMAKE_CURRENT_LIST_DIR}/../core/product_identity.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_identity_header})
file(READ ${_identity_header} _identity)
foreach(_pair kProductName:DQ_PRODUCT_NAME kVendorName:DQ_VENDOR kVersionString:DQ_VERSION
              kProductDescription:DQ_DESCRIPTION kVendorUrl:DQ_VENDOR_URL kLv2PluginUri:DQ_LV2_URI)
  string(REPLACE ":" ";" _pair ${_pair})
  list(GET _pair 0 _constant)
  list(GET _pair 1 _variable)
  if(NOT _identity MATCHES "${_constant} = \"([^\"]*)\";")
    message(FATAL_ERROR "core/product_identity.h: no string constant ${_constant}")
  endif()
  set(${_variable} "${CMAKE_MATCH_1}")
endforeach()
