# cxx_literal(FILE OUT): sets OUT to a C++ expression, a std::string_view of FILE's bytes. Written
# as hex escapes, 32 bytes to a line, so that no text in the file can end the literal early.
function(cxx_literal file out)
    file(READ ${file} hex HEX)
    string(LENGTH "${hex}" digits)
    math(EXPR size "${digits} / 2")
    string(REGEX REPLACE "(..)" "\\\\x\\1" escaped "${hex}")
    string(REGEX REPLACE "(................................................................................................................................)"
           "\\1\"\n        \"" escaped "${escaped}")
    set(${out} "std::string_view(\"${escaped}\", ${size})" PARENT_SCOPE)
endfunction()
