#pragma once

#include <filesystem>
#include <string>

namespace velunora {

// A folder recognised as the SD card of a supported device.
struct DetectedPAPCard {
    std::filesystem::path rootFolder;
    std::string manufacturer;
    std::string model;
    std::string serialNumber;

    // Manufacturer and model, leaving out whichever is empty, joined by one space.
    std::string displayName() const;

    friend bool operator==(const DetectedPAPCard&, const DetectedPAPCard&) = default;
};

} // namespace velunora
