# The libraries stand in layers, and a file may include only from its own layer and those below.
# A file that reaches up stops the configure step; the files are configure dependencies, so an
# edit of one runs that step again and the build stops as well.

# zarn_check_includes(FOLDER [QT] ALLOWED folders... HEADERS headers...): FOLDER may include its
# own headers, those of the ALLOWED folders of src, the single HEADERS named, and with QT Qt's.
function(zarn_check_includes folder)
  cmake_parse_arguments(ARG "QT" "" "ALLOWED;HEADERS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp ${PROJECT_SOURCE_DIR}/src/${folder}/*.h)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${sources})
  list(JOIN ARG_ALLOWED "|" allowed)
  foreach(source IN LISTS sources)
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"](\\.\\./)*([^>\"]*)[>\"].*" "\\2" header "${line}")
      set(part "")
      if(header MATCHES "^([A-Za-z_]+)/")
        set(part ${CMAKE_MATCH_1})
      endif()
      if(header IN_LIST ARG_HEADERS)
        continue()
      elseif(part AND IS_DIRECTORY ${PROJECT_SOURCE_DIR}/src/${part})
        if(NOT part MATCHES "^(${folder}|${allowed})$")
          message(FATAL_ERROR "${source} includes ${header}: src/${folder} builds below src/${part}")
        endif()
      elseif(NOT ARG_QT AND header MATCHES "^Q[A-Za-z]*(/|$)")
        message(FATAL_ERROR "${source} includes ${header}: src/${folder} is plain C++, without Qt")
      endif()
    endforeach()
  endforeach()
endfunction()

zarn_check_includes(usage)
zarn_check_includes(profile)
zarn_check_includes(paths)
zarn_check_includes(platform ALLOWED profile paths)
zarn_check_includes(model ALLOWED profile paths platform plugins)
zarn_check_includes(plugins ALLOWED profile paths platform model)
zarn_check_includes(tag ALLOWED profile paths platform model plugins)
zarn_check_includes(startup ALLOWED profile paths platform model plugins tag)
zarn_check_includes(cli ALLOWED usage profile paths platform model plugins tag startup)
zarn_check_includes(views QT ALLOWED profile paths platform model plugins tag startup)
# memlet links the profile store alone; of the plug-ins it knows only their public contract.
zarn_check_includes(memlet QT ALLOWED profile HEADERS plugins/ZarnPlugin.h)
