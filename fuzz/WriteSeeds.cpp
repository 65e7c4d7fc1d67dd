#include <filesystem>
#include <fstream>
#include <iostream>

#include "ParserCases.hpp"

// Writes each parser test case's text as one file of the fuzzer's seed corpus.
int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " CORPUS_FOLDER\n";
        return 2;
    }
    const std::filesystem::path corpus = argv[1];
    std::filesystem::create_directories(corpus);
    for (const auto& parserCase : dorvane::test::parserCases) {
        std::ofstream(corpus / parserCase.name, std::ios::binary | std::ios::trunc)
            .write(parserCase.text.data(), static_cast<std::streamsize>(parserCase.text.size()));
    }
    return 0;
}
