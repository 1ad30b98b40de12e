// velunora-card: the command-line companion of Velunora Sync, for headless machines and for
// trying a card import without the tray app.
#include "cardimport/PAPCardImportError.h"
#include "cardimport/PAPCardImporter.h"

#include <cstdio>
#include <string_view>

namespace {

constexpr std::string_view usage =
    "Utilisation : velunora-card COMMANDE [ARGUMENTS]\n"
    "\n"
    "Commandes :\n"
    "  detect CARTE    dit si le dossier CARTE est une carte SD prise en charge et quel\n"
    "                  appareil l\u2019a \u00e9crite\n"
    "  help            affiche cette aide\n";

int printUsage(std::FILE* stream, int status) {
    std::fwrite(usage.data(), 1, usage.size(), stream);
    return status;
}

int detect(const char* folder) {
    const auto registry = velunora::PAPCardImportRegistry::standard();
    const auto card = registry.detectCard(folder);
    if (!card) {
        const std::string text = velunora::PAPCardImportError::unsupported().errorDescription();
        std::fprintf(stderr, "%s\n", text.c_str());
        return 1;
    }
    std::printf("%s\nnum\u00e9ro de s\u00e9rie : %s\n", card->displayName().c_str(),
                card->serialNumber.empty() ? "inconnu" : card->serialNumber.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return printUsage(stderr, 2);
    }
    const std::string_view command = argv[1];
    if (command == "help" || command == "--help" || command == "-h") {
        return printUsage(stdout, 0);
    }
    if (command == "detect" && argc == 3) {
        return detect(argv[2]);
    }
    return printUsage(stderr, 2);
}
