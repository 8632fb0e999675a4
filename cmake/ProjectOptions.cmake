# One interface target carries the compile settings every module shares.
add_library(tramora_options INTERFACE)
target_compile_features(tramora_options INTERFACE cxx_std_20)
target_compile_options(tramora_options INTERFACE
  -Wall -Wextra -Wpedantic -Wno-unused-parameter)
target_compile_definitions(tramora_options INTERFACE
  QT_NO_KEYWORDS
  TRAMORA_VERSION="${PROJECT_VERSION}")
