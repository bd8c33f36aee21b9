# Face detection, kept out of the editor: pictoria_faces (dlib's HOG frontal face
# detector, chosen on the face set's figures in the README) is for the processes that
# decode pictures, the tests and the tools; pictoria_faces_reference (OpenCV's cascades
# from opencv-data) is the second opinion the tests and the accuracy tool compare with.
# Built only where both are installed.
find_path(OPENCV_INCLUDE_DIR opencv2/objdetect.hpp PATH_SUFFIXES opencv4)
find_library(OPENCV_CORE_LIBRARY opencv_core)
find_library(OPENCV_IMGPROC_LIBRARY opencv_imgproc)
find_library(OPENCV_OBJDETECT_LIBRARY opencv_objdetect)
find_path(OPENCV_CASCADES haarcascade_frontalface_alt2.xml PATHS /usr/share/opencv4/haarcascades
          /usr/share/opencv/haarcascades)
find_package(PkgConfig REQUIRED)
pkg_check_modules(DLIB IMPORTED_TARGET dlib-1)
if(OPENCV_INCLUDE_DIR AND OPENCV_CORE_LIBRARY AND OPENCV_IMGPROC_LIBRARY AND OPENCV_OBJDETECT_LIBRARY
   AND OPENCV_CASCADES AND DLIB_FOUND)
  set(PICTORIA_FACES ON)
  add_library(pictoria_faces STATIC ${CMAKE_CURRENT_LIST_DIR}/FaceFinder.cpp ${CMAKE_CURRENT_LIST_DIR}/FaceFinder.h)
  target_include_directories(pictoria_faces PUBLIC ${CMAKE_SOURCE_DIR})
  # dlib's own link line names LAPACK and BLAS after it, which its static archive needs.
  find_library(LAPACK_LIBRARY lapack)
  find_library(BLAS_LIBRARY blas)
  target_link_libraries(pictoria_faces PUBLIC Qt6::Gui PRIVATE PkgConfig::DLIB ${LAPACK_LIBRARY} ${BLAS_LIBRARY})
  add_library(pictoria_faces_reference STATIC ${CMAKE_CURRENT_LIST_DIR}/OpenCvFaceFinder.cpp
              ${CMAKE_CURRENT_LIST_DIR}/OpenCvFaceFinder.h)
  target_include_directories(pictoria_faces_reference PUBLIC ${CMAKE_SOURCE_DIR})
  # OpenCV 4.6 headers warn under C++20; they are not ours to fix.
  target_include_directories(pictoria_faces_reference SYSTEM PRIVATE ${OPENCV_INCLUDE_DIR})
  target_link_libraries(pictoria_faces_reference PUBLIC Qt6::Gui PRIVATE ${OPENCV_OBJDETECT_LIBRARY}
                        ${OPENCV_IMGPROC_LIBRARY} ${OPENCV_CORE_LIBRARY})
  target_compile_definitions(pictoria_faces_reference PRIVATE PICTORIA_OPENCV_CASCADES="${OPENCV_CASCADES}")
  set_target_properties(pictoria_faces pictoria_faces_reference PROPERTIES AUTOMOC OFF)
  # The detector in dlib's plain serialized form, as a source the import helper is built with.
  add_executable(face_detector_blob ${CMAKE_CURRENT_LIST_DIR}/face_detector_blob.cpp)
  target_link_libraries(face_detector_blob PRIVATE pictoria_faces)
  set_target_properties(face_detector_blob PROPERTIES AUTOMOC OFF)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/FaceDetectorBytes.cpp
                     COMMAND face_detector_blob ${CMAKE_BINARY_DIR}/FaceDetectorBytes.cpp
                     DEPENDS face_detector_blob VERBATIM)
  # Both detectors over the face set in tests/faces/: found, missed and false faces.
  add_executable(face_accuracy ${CMAKE_CURRENT_LIST_DIR}/face_accuracy.cpp)
  target_link_libraries(face_accuracy PRIVATE pictoria_faces pictoria_faces_reference Qt6::Gui)
  target_compile_definitions(face_accuracy PRIVATE PICTORIA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  set_target_properties(face_accuracy PROPERTIES AUTOMOC OFF)
else()
  set(PICTORIA_FACES OFF)
  message(STATUS "Face detection left out: OpenCV (objdetect, opencv-data) or dlib is missing")
endif()
