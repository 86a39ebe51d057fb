# The QML interface module "zelka": every QML and JavaScript file under qml/, the
# built-in style file and the pictures, all under the resource prefix /zelka/.
# Included from the top level so that resource paths keep their folder names.
file(GLOB_RECURSE ZELKA_QML_SOURCES CONFIGURE_DEPENDS
    RELATIVE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/qml/*.qml ${CMAKE_SOURCE_DIR}/qml/*.js)
file(GLOB_RECURSE ZELKA_RESOURCE_FILES CONFIGURE_DEPENDS
    RELATIVE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/style/*.json ${CMAKE_SOURCE_DIR}/res/*.png
    ${CMAKE_SOURCE_DIR}/res/*.ttf ${CMAKE_SOURCE_DIR}/res/*.otf ${CMAKE_SOURCE_DIR}/res/*.ttc
    ${CMAKE_SOURCE_DIR}/res/*.gif)

qt_add_library(zelka_qml STATIC)
qt_add_qml_module(zelka_qml
    URI zelka
    VERSION 1.0
    RESOURCE_PREFIX /
    NO_PLUGIN
    OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/zelka
    QML_FILES ${ZELKA_QML_SOURCES}
    RESOURCES ${ZELKA_RESOURCE_FILES}
)
