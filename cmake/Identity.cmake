# Who the plug-in is, in every standard that names it: set once here and generated into
# core/Identity.h (for the code and the resource scripts) and into the LV2 turtle files.
# The version is the project's own (project(... VERSION ...)).
set(VELVETINE_PRODUCT_NAME "QM Velvetine")
set(VELVETINE_FILE_NAME "QMVelvetine")
set(VELVETINE_MAKER "Fernhollowstudios")
# Where users and distributions write to the maker (the Debian package's maintainer).
set(VELVETINE_CONTACT "packages@fernhollowstudios.example")
set(VELVETINE_DESCRIPTION
  "A stereo minimum-phase FIR filter of the kind an oversampling converter uses, chosen by its oversampling factor.")
# VST 2.x: the four characters of the unique ID.
set(VELVETINE_VST2_UNIQUE_ID "QMVL")
set(VELVETINE_LV2_URI "urn:fernhollowstudios:qm-velvetine")
set(VELVETINE_LV2_UI_URI "${VELVETINE_LV2_URI}:ui")
set(VELVETINE_CLAP_ID "com.fernhollowstudios.qm-velvetine")
# VST3: the processor's and the edit controller's class IDs, 32 hexadecimal digits each.
set(VELVETINE_VST3_PROCESSOR_CID "423EF9FD4BAE47A2A32522E3E0D039BF")
set(VELVETINE_VST3_CONTROLLER_CID "30F1A3A5993B4989BB81DF4071B0AD3C")
# VST3: the processor's sub-categories as hosts sort it, and the interface version the
# classes declare.
set(VELVETINE_VST3_SUBCATEGORIES "Fx|Filter")
set(VELVETINE_VST3_SDK_VERSION "VST 3.7.9")

string(LENGTH "${VELVETINE_VST2_UNIQUE_ID}" id_length)
if(NOT id_length EQUAL 4)
  message(FATAL_ERROR "the VST 2.x unique ID must be four characters")
endif()
foreach(cid VELVETINE_VST3_PROCESSOR_CID VELVETINE_VST3_CONTROLLER_CID)
  if(NOT ${cid} MATCHES "^[0-9A-F]+$")
    message(FATAL_ERROR "${cid} must be hexadecimal digits")
  endif()
  string(LENGTH "${${cid}}" cid_length)
  if(NOT cid_length EQUAL 32)
    message(FATAL_ERROR "${cid} must be 32 hexadecimal digits")
  endif()
endforeach()
foreach(i RANGE 3)
  string(SUBSTRING "${VELVETINE_VST2_UNIQUE_ID}" ${i} 1 VELVETINE_VST2_ID_CHAR${i})
endforeach()

configure_file(${CMAKE_SOURCE_DIR}/core/Identity.h.in ${CMAKE_BINARY_DIR}/generated/core/Identity.h @ONLY)
# velvetine_identity: the interface library that puts the generated header on the path.
add_library(velvetine_identity INTERFACE)
target_include_directories(velvetine_identity INTERFACE ${CMAKE_BINARY_DIR}/generated)
