#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velunora {

// Which device wrote a card, as its identification files tell it.
struct DeviceIdentification {
    std::string model;
    // Empty when the card does not say.
    std::string serialNumber;

    friend bool operator==(const DeviceIdentification&, const DeviceIdentification&) = default;
};

// Reads Identification.json under the card root, else Identification.tgt, else falls back to
// model "Machine ResMed" and an empty serial number. Never throws: unreadable or malformed
// files count as absent.
DeviceIdentification readDeviceIdentification(const std::filesystem::path& root);

// The identity in the bytes of an Identification.json, or nothing when they are not JSON or lack
// the FlowGenerator/IdentificationProfiles/Product objects.
std::optional<DeviceIdentification> identificationFromJSON(std::string_view bytes);

// The identity in the bytes of an Identification.tgt. Bytes that are not UTF-8 read as a file
// that could not be read: the fallback identity.
DeviceIdentification identificationFromTGT(std::string_view bytes);

// Spaces out the compact product names of the JSON file (AirSense11AutoSet becomes
// AirSense 11 AutoSet) and collapses white space. `productName` must be valid UTF-8.
std::string normalizedModelName(std::string_view productName);

// Whether the process may read the card at all: reads the first of Identification.json,
// Identification.tgt and STR.edf that exists. False when none exists.
bool canReadCard(const std::filesystem::path& root);

} // namespace velunora
