# Pictures drawn as metafiles are turned into SVG that our own code writes; their blips in
# binary workbooks are deflate-compressed.
find_package(ZLIB REQUIRED)
target_link_libraries(engine PUBLIC ZLIB::ZLIB)
target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Dib.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EmfPlayer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Metafile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MetafileBlip.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PictBitmap.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PictPlayer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Player.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SvgCanvas.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WmfPlayer.cpp)
