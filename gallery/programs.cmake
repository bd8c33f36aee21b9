# A gallery of the button control: every style, shape and mode, to look at and use.
add_executable(pictoria_gallery ${CMAKE_CURRENT_LIST_DIR}/main.cpp ${CMAKE_CURRENT_LIST_DIR}/GalleryWindow.cpp
                                ${CMAKE_CURRENT_LIST_DIR}/GalleryWindow.h)
target_link_libraries(pictoria_gallery PRIVATE pictoria_controls)
