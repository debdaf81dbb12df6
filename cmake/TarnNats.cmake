# The NATS C client (Debian: libnats-dev) as the imported target Nats::nats:
# through pkg-config when it knows libnats, else by its header and library.
find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND)
  pkg_check_modules(NATS QUIET IMPORTED_TARGET libnats)
endif()
if(TARGET PkgConfig::NATS)
  add_library(Nats::nats ALIAS PkgConfig::NATS)
else()
  find_path(NATS_INCLUDE_DIR nats/nats.h)
  find_library(NATS_LIBRARY nats)
  if(NOT NATS_INCLUDE_DIR OR NOT NATS_LIBRARY)
    message(FATAL_ERROR "The NATS C client is missing: install libnats-dev (scripts/setup does).")
  endif()
  add_library(Nats::nats UNKNOWN IMPORTED)
  set_target_properties(Nats::nats PROPERTIES IMPORTED_LOCATION "${NATS_LIBRARY}"
                                              INTERFACE_INCLUDE_DIRECTORIES "${NATS_INCLUDE_DIR}")
endif()
