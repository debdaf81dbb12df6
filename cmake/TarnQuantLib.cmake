# QuantLib (Debian: libquantlib0-dev) as the imported target QuantLib::QuantLib,
# by its header and library; its pkg-config file would add OpenMP, which
# nothing here uses.
find_path(QUANTLIB_INCLUDE_DIR ql/quantlib.hpp)
find_library(QUANTLIB_LIBRARY QuantLib)
if(NOT QUANTLIB_INCLUDE_DIR OR NOT QUANTLIB_LIBRARY)
  message(FATAL_ERROR "QuantLib is missing: install libquantlib0-dev (scripts/setup does).")
endif()
add_library(QuantLib::QuantLib UNKNOWN IMPORTED)
set_target_properties(QuantLib::QuantLib PROPERTIES IMPORTED_LOCATION "${QUANTLIB_LIBRARY}"
                                                    INTERFACE_INCLUDE_DIRECTORIES "${QUANTLIB_INCLUDE_DIR}")
