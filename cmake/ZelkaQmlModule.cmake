# The QML interface module "zelka": every QML and JavaScript file under qml/, the
# built-in style file and the pictures, all under the resource prefix /zelka/.
# Included from the top level, after the video engine, so that resource paths keep their
# folder names and the video engine's types can join the module.
file(GLOB_RECURSE ZELKA_QML_SOURCES CONFIGURE_DEPENDS
    RELATIVE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/qml/*.qml ${CMAKE_SOURCE_DIR}/qml/*.js)
# The module file lists its types in the order of their paths.
list(SORT ZELKA_QML_SOURCES)
file(GLOB_RECURSE ZELKA_RESOURCE_FILES CONFIGURE_DEPENDS
    RELATIVE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/style/*.json ${CMAKE_SOURCE_DIR}/res/*.png
    ${CMAKE_SOURCE_DIR}/res/*.ttf ${CMAKE_SOURCE_DIR}/res/*.otf ${CMAKE_SOURCE_DIR}/res/*.ttc
    ${CMAKE_SOURCE_DIR}/res/*.gif)
# The background picture is a file beside the executable, not a resource.
list(FILTER ZELKA_RESOURCE_FILES EXCLUDE REGEX "^res/background/")

# Files that are parts of other components, and the root file that start-up loads by
# URL: in the resources, but no type of the module.
set(ZELKA_QML_HELPER_FILES
    qml/main.qml
    qml/AlarmQuery/AlarmRow.qml
    qml/ElectronicMap/ChannelPin.qml
    qml/HomePage/AlarmPlaybackPopup.qml
    qml/HomePage/AlarmRefreshButton.qml
    qml/HomePage/CameraTile/BarHoverArea.qml
    qml/HomePage/CameraTile/IButton.qml
    qml/HomePage/CameraTile/LevelMeter.qml
    qml/HomePage/CameraTile/NarrowToolBar.qml
    qml/HomePage/CameraTile/ReplayProgressBar.qml
    qml/HomePage/CameraTile/StatisticsLabel.qml
    qml/HomePage/CameraTile/TalkBack.qml
    qml/HomePage/CameraTile/TileMenu.qml
    qml/HomePage/CameraTile/WideToolBar.qml
    qml/HomePage/Dashboard/LoadChart.qml
    qml/HomePage/Dashboard/LoadToolTip.qml
    qml/HomePage/Dashboard/figures.js
    qml/HomePage/DeviceToolTipLink.qml
    qml/HomePage/DeviceTree/ChannelLine.qml
    qml/HomePage/DeviceTree/ChannelRow.qml
    qml/HomePage/DeviceTree/ChildList.qml
    qml/HomePage/DeviceTree/DeviceRow.qml
    qml/HomePage/DeviceTree/DeviceTreeView.qml
    qml/HomePage/DeviceTree/ExpandButton.qml
    qml/HomePage/DeviceTree/ReplyGate.qml
    qml/HomePage/DeviceTree/ServerChannelRow.qml
    qml/HomePage/DeviceTree/TreeFrame.qml
    qml/HomePage/DeviceTree/TreeRow.qml
    qml/HomePage/DeviceTree/TreeText.qml
    qml/HomePage/LatestAlarmList.qml
    qml/RealtimeRetrieval/carousel.js
    qml/RealtimeRetrieval/layoutgeometry.js
    qml/RecordManage/RecordRow.qml
    qml/Widgets/DownloadPopup.qml
    qml/Widgets/DownloadTracker.qml
    qml/Widgets/PagingRow.qml
    qml/Widgets/paging.js
    qml/Widgets/windowplacement.js
    qml/Widgets/PopupFrame.qml
    qml/Widgets/SteeringWheelCanvas.qml
    qml/Widgets/WindowCloseButton.qml
)
set_source_files_properties(${ZELKA_QML_HELPER_FILES} PROPERTIES QT_QML_SKIP_QMLDIR_ENTRY TRUE)

qt_add_library(zelka_qml STATIC)
qt_add_qml_module(zelka_qml
    URI zelka
    VERSION 1.0
    RESOURCE_PREFIX /
    NO_PLUGIN
    TYPEINFO ZelkaVSS_Client.qmltypes
    OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/zelka
    SOURCES qml/nativetypes.h
    QML_FILES ${ZELKA_QML_SOURCES}
    RESOURCES ${ZELKA_RESOURCE_FILES}
)
# The playback item and its statistics are types of this module as well; their
# registration is generated from the video engine's meta-type description.
qt_extract_metatypes(zelka_video)
target_include_directories(zelka_qml PRIVATE ${CMAKE_SOURCE_DIR}/qml)
target_link_libraries(zelka_qml PUBLIC zelka_video)
zelka_target_defaults(zelka_qml)

# background/home.png beside every executable that shows the login or main window.
set(ZELKA_BACKGROUND_PICTURE ${CMAKE_SOURCE_DIR}/res/background/home.png)
function(zelka_copy_background target)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:${target}>/background
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ZELKA_BACKGROUND_PICTURE}
                $<TARGET_FILE_DIR:${target}>/background/home.png
        VERBATIM)
endfunction()
