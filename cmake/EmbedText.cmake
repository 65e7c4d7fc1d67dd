# Writes a C++ source that defines `const std::string_view NAME`, in namespace dorvane, as the
# bytes of INPUT, for data the binary carries rather than installs:
#   cmake -DINPUT=... -DOUTPUT=... -DNAME=... -P EmbedText.cmake
include(${CMAKE_CURRENT_LIST_DIR}/CxxLiteral.cmake)
cxx_literal(${INPUT} literal)
file(WRITE "${OUTPUT}"
     "// Generated from ${INPUT}.\n"
     "#include <string_view>\n\n"
     "namespace dorvane {\n"
     "extern const std::string_view ${NAME};\n"
     "const std::string_view ${NAME} =\n        ${literal};\n"
     "}  // namespace dorvane\n")
