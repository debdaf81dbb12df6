# tarn_add_host_library(<name> SOURCES ... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
#
# One shared library per host library. Each has a <name>_global.h that maps
# <NAME>_EXPORT to Q_DECL_EXPORT while the library itself is built
# (<NAME>_LIBRARY) and to Q_DECL_IMPORT for its users; everything else keeps
# hidden visibility.
function(tarn_add_host_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  string(TOUPPER ${name} upper)
  target_compile_definitions(${name} PRIVATE ${upper}_LIBRARY)
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
endfunction()

# tarn_add_module_part(<name> SOURCES ...)
#
# One piece of the plug-in (the module frame, a component, the resources),
# compiled once as an object library of its own, so each piece has its own
# moc step that follows its own CMakeLists.txt. tarncore collects the
# objects of every piece: libtarn and the tests link tarncore.
function(tarn_add_module_part name)
  cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
  add_library(${name} OBJECT ${ARG_SOURCES})
  target_link_libraries(${name} PUBLIC tarnbase)
  target_sources(tarncore INTERFACE $<TARGET_OBJECTS:${name}>)
  target_link_libraries(tarncore INTERFACE ${name})
endfunction()
