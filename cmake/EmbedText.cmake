# Writes a C++ source that defines `const char* const NAME`, in namespace dorvane, as the text of
# INPUT, for data the binary carries rather than installs:
#   cmake -DINPUT=... -DOUTPUT=... -DNAME=... -P EmbedText.cmake
file(READ "${INPUT}" text)
string(FIND "${text}" ")embedded\"" clash)
if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${INPUT} contains the raw string's closing delimiter")
endif()
file(WRITE "${OUTPUT}"
     "// Generated from ${INPUT}.\n"
     "namespace dorvane {\n"
     "extern const char* const ${NAME};\n"
     "const char* const ${NAME} = R\"embedded(${text})embedded\";\n"
     "}  // namespace dorvane\n")
