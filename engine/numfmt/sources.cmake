target_sources(engine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/BuiltinFormats.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CellText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DateRender.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DateSerial.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DecimalDigits.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DigitWidth.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FormatParser.cpp
    ${CMAKE_CURRENT_LIST_DIR}/General.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NativeDigits.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NumberRender.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Palette.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextWidth.cpp)
