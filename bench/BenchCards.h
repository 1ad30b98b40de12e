#pragma once

#include "tools/CardGenerator.h"

#include <filesystem>
#include <string>

namespace velunora::bench {

// A generated card kept between runs under build/bench-cards (writing years of recordings takes
// far longer than importing them).
inline std::filesystem::path generatedCard(int nights) {
    const std::filesystem::path root = std::filesystem::path(VELUNORA_BENCH_CARDS) /
                                       ("card-" + std::to_string(nights) + "-nights");
    const std::filesystem::path done = root / ".complete";
    if (!std::filesystem::exists(done)) {
        std::filesystem::remove_all(root);
        cardgen::CardGeneratorOptions options;
        options.nights = nights;
        options.seed = 2024;
        options.firstNight = cardgen::LocalDay{2022, 1, 1};
        cardgen::generateCard(root, options);
        std::filesystem::create_directories(done);
    }
    return root;
}

inline std::uintmax_t folderBytes(const std::filesystem::path& folder, std::size_t& files) {
    std::uintmax_t bytes = 0;
    files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            bytes += entry.file_size();
            ++files;
        }
    }
    return bytes;
}

} // namespace velunora::bench
