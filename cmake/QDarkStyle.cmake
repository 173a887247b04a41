# Builds the "style" resource set from Debian's python3-qdarkstyle: the dark style sheet at
# :qdarkstyle/style.qss and its PNG icons (normal and @2x) under :qss_icons/rc/. The sheet's icon
# URLs are rewritten from the package's :/qss_icons/dark/rc/ to :/qss_icons/rc/.
# Sets QDARKSTYLE_QRC to the generated resource file.

find_path(QDARKSTYLE_DIR darkstyle.qss
    PATHS /usr/lib/python3/dist-packages/qdarkstyle/dark /usr/share/qdarkstyle/dark
    NO_DEFAULT_PATH)
if(NOT QDARKSTYLE_DIR)
    message(FATAL_ERROR "QDarkStyle not found: install the Debian package python3-qdarkstyle (make deps)")
endif()

set(_out ${CMAKE_CURRENT_BINARY_DIR}/qdarkstyle)
file(MAKE_DIRECTORY ${_out})
file(READ ${QDARKSTYLE_DIR}/darkstyle.qss _qss)
string(REPLACE ":/qss_icons/dark/rc/" ":/qss_icons/rc/" _qss "${_qss}")
file(WRITE ${_out}/style.qss.tmp "${_qss}")
configure_file(${_out}/style.qss.tmp ${_out}/style.qss COPYONLY)

file(GLOB _icons RELATIVE ${QDARKSTYLE_DIR}/rc ${QDARKSTYLE_DIR}/rc/*.png)
list(SORT _icons)
set(_qrc "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/\">\n")
string(APPEND _qrc "    <file alias=\"qdarkstyle/style.qss\">${_out}/style.qss</file>\n")
foreach(_icon ${_icons})
    string(APPEND _qrc "    <file alias=\"qss_icons/rc/${_icon}\">${QDARKSTYLE_DIR}/rc/${_icon}</file>\n")
endforeach()
string(APPEND _qrc "</qresource>\n</RCC>\n")
file(WRITE ${_out}/style.qrc.tmp "${_qrc}")
configure_file(${_out}/style.qrc.tmp ${_out}/style.qrc COPYONLY)
set(QDARKSTYLE_QRC ${_out}/style.qrc)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${QDARKSTYLE_DIR}/darkstyle.qss)
