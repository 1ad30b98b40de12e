// velunora-card: the command-line companion of Velunora Sync, for headless machines and for
// trying a card import without the tray app.
#include "cardimport/PAPCardImportError.h"
#include "cardimport/PAPCardImporter.h"
#include "nights/SessionImport.h"
#include "platform/AtomicFile.h"
#include "platform/LocalCalendar.h"
#include "platform/Localization.h"
#include "records/SnapshotJSON.h"
#include "tools/CardGenerator.h"
#ifdef VELUNORA_WITH_SYNC
#include "sync/Logging.h"
#include "tools/HeadlessSync.h"
#endif
#ifdef VELUNORA_WITH_REPORT
#include "tools/ReportCommand.h"
#endif
#ifdef VELUNORA_WITH_TEXTS
#include "texts/Translations.h"

#include <QLocale>
#include <QTranslator>
#include <memory>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

using namespace velunora;

// What each command is for, in the user's language; `help COMMAND` prints one of them.
struct CommandHelp {
    std::string_view name;
    std::string text;
};

std::vector<CommandHelp> commandHelp() {
    std::vector<CommandHelp> help{
        {"detect",
         localized("CommandLine",
                   "  detect CARTE                  dit si le dossier CARTE est une carte SD "
                   "prise en charge\n"
                   "                                et quel appareil l’a écrite\n")},
        {"import",
         localized(
             "CommandLine",
             "  import CARTE [--json FICHIER [--pretty]]\n"
             "                                importe la carte, affiche une ligne par nuit et, "
             "avec\n"
             "                                --json, écrit l’instantané JSON dans FICHIER "
             "(compact ;\n"
             "                                indenté pour la lecture avec --pretty)\n")},
        {"generate",
         localized(
             "CommandLine",
             "  generate DOSSIER [--nights N] [--seed S] [--first-night AAAA-MM-JJ] "
             "[--airsense11]\n"
             "           [--varied] [--force]\n"
             "                                écrit une carte de démonstration dans DOSSIER, "
             "vide ou\n"
             "                                nouveau (--force : même s’il ne l’est pas) ; avec\n"
             "                                --varied, des nuits de durées variées et quelques "
             "nuits\n"
             "                                sans appareil, sinon 8 h chaque nuit\n")},
    };
#ifdef VELUNORA_WITH_SYNC
    help.push_back({"sync", localized("CommandLine",
                                      "  sync CARTE [--verbose]        synchronise la carte : "
                                      "import, fusion avec l’export\n"
                                      "                                précédent, publication puis "
                                      "export local\n")});
    help.push_back(
        {"reset",
         localized("CommandLine", "  reset [--yes] [--verbose]     efface les données publiées "
                                  "et l’export local, après\n"
                                  "                                confirmation (--yes la donne "
                                  "d’avance, requis sans\n"
                                  "                                terminal)\n")});
    help.push_back(
        {"sign-in",
         localized("CommandLine", "  sign-in [--verbose]           connecte Velunora Sync à "
                                  "iCloud : affiche l’adresse\n"
                                  "                                de connexion et attend le "
                                  "retour du navigateur\n")});
    help.push_back(
        {"sign-out",
         localized("CommandLine", "  sign-out                      ferme la session iCloud\n")});
#endif
#ifdef VELUNORA_WITH_REPORT
    help.push_back(
        {"report",
         localized("CommandLine",
                   "  report [--from AAAA-MM-JJ] [--to AAAA-MM-JJ] [--pdf FICHIER] [--csv "
                   "FICHIER]\n"
                   "         [--snapshot FICHIER]\n"
                   "                                affiche l’utilisation des nuits publiées "
                   "sur la période\n"
                   "                                (par défaut les 30 jours qui finissent à "
                   "la dernière nuit)\n"
                   "                                et écrit le rapport PDF pour le médecin "
                   "et le tableau CSV\n"
                   "                                des nuits ; --snapshot lit un instantané "
                   "JSON à la place\n")});
#endif
    help.push_back(
        {"help",
         localized("CommandLine", "  help [COMMANDE]               affiche cette aide, ou celle "
                                  "d’une commande\n")});
    return help;
}

// The whole help, or one command's when `command` names one.
int printUsage(std::FILE* stream, int status, std::string_view command = {}) {
    std::string text = localized("CommandLine", "Utilisation : velunora-card COMMANDE [ARGUMENTS]\n"
                                                "\n"
                                                "Commandes :\n");
    bool found = false;
    for (const CommandHelp& help : commandHelp()) {
        if (command.empty() || help.name == command) {
            text += help.text;
            found = true;
        }
    }
    if (!found) {
        return printUsage(stream, status);
    }
    text += localized("CommandLine",
                      "\n"
                      "Codes de sortie : 0 réussite, 1 échec, 2 mauvaise utilisation.\n");
    std::fwrite(text.data(), 1, text.size(), stream);
    return status;
}

// Replaces `marker` ("%1", "%2") in a translated text (which may move it) with `value`.
std::string filled(std::string text, std::string_view value, std::string_view marker = "%1") {
    if (const auto at = text.find(marker); at != std::string::npos) {
        text.replace(at, marker.size(), value);
    }
    return text;
}

std::string nightCount(std::size_t count) {
    return count == 1 ? localized("CommandLine", "1 nuit")
                      : filled(localized("CommandLine", "%1 nuits"), std::to_string(count));
}

int fail(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return 1;
}

// French figures take a decimal comma; English ones a point.
bool frenchFigures = true;

Date now() {
    using namespace std::chrono;
    return Date{duration<double>(system_clock::now().time_since_epoch()).count()};
}

std::optional<DetectedPAPCard> detectOrReport(const char* folder) {
    std::error_code error;
    if (!std::filesystem::exists(folder, error)) {
        fail(filled(localized("CommandLine", "Le dossier « %1 » n’existe pas."), folder));
        return std::nullopt;
    }
    if (!std::filesystem::is_directory(folder, error)) {
        fail(filled(
            localized("CommandLine", "« %1 » n’est pas un dossier : donnez la racine de la carte."),
            folder));
        return std::nullopt;
    }
    const auto card = PAPCardImportRegistry::standard().detectCard(folder);
    if (!card) {
        fail(filled(localized("CommandLine", "« %1 » : "), folder) +
             PAPCardImportError::unsupported().errorDescription());
    }
    return card;
}

void printIdentity(const DetectedPAPCard& card) {
    const std::string serial =
        card.serialNumber.empty() ? localized("CommandLine", "inconnu") : card.serialNumber;
    std::printf("%s · %s\n", card.displayName().c_str(),
                filled(localized("CommandLine", "numéro de série %1"), serial).c_str());
}

int detect(const char* folder) {
    const auto card = detectOrReport(folder);
    if (!card) {
        return 1;
    }
    printIdentity(*card);
    return 0;
}

// The figure in the user's way, or a dash for a statistic the night lacks.
std::string decimal(std::optional<double> value, int digits) {
    if (!value) {
        return "—";
    }
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", digits, *value);
    for (char& c : text) {
        if (c == '.' && frenchFigures) {
            c = ',';
        }
    }
    return text;
}

std::string localDay(Date date) {
    const auto day = calendar::decompose(date);
    if (!day) {
        return "?";
    }
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", static_cast<int>(day->year),
                  static_cast<int>(day->month), static_cast<int>(day->day));
    return text;
}

int import(const char* folder, const char* jsonPath, SnapshotLayout layout) {
    const auto card = detectOrReport(folder);
    if (!card) {
        return 1;
    }
    const bool showProgress = ::isatty(STDERR_FILENO) != 0;
    const std::string reading = localized("CommandLine", "Lecture de la carte…");
    OscarSnapshot snapshot;
    try {
        snapshot = importResMedCard(*card, now(), [&](double fraction) {
            if (showProgress) {
                std::fprintf(stderr, "\r%s %3d %%", reading.c_str(),
                             static_cast<int>(fraction * 100.0 + 0.5));
            }
        });
        if (showProgress) {
            std::fprintf(stderr, "\r\033[K");
        }
    } catch (const PAPCardImportError& error) {
        if (showProgress) {
            std::fprintf(stderr, "\r\033[K");
        }
        return fail(error.errorDescription());
    } catch (const std::exception& error) {
        return fail(error.what());
    }

    printIdentity(*card);
    std::printf("%-12s %7s %6s %6s %9s %9s %10s  %s\n", localized("CommandLine", "nuit").c_str(),
                localized("CommandLine", "heures").c_str(), localized("CommandLine", "IAH").c_str(),
                localized("CommandLine", "IDR").c_str(),
                localized("CommandLine", "pression").c_str(), "P95",
                localized("CommandLine", "fuite P95").c_str(),
                localized("CommandLine", "observance").c_str());
    const std::string yes = localized("CommandLine", "oui");
    const std::string no = localized("CommandLine", "non");
    for (const NightSummary& night : snapshot.nights) {
        std::printf("%-12s %7s %6s %6s %9s %9s %10s  %s\n", localDay(night.date).c_str(),
                    decimal(night.totalHours, 2).c_str(), decimal(night.ahi, 2).c_str(),
                    decimal(night.rdi, 2).c_str(), decimal(night.pressureAverage, 1).c_str(),
                    decimal(night.pressure95th, 1).c_str(), decimal(night.leak95th, 1).c_str(),
                    night.isCompliant ? yes.c_str() : no.c_str());
    }
    std::printf("%s\n", nightCount(snapshot.nights.size()).c_str());

    if (jsonPath) {
        try {
            writeFileAtomically(jsonPath, makeSnapshotEncoder(layout).encode(snapshot));
        } catch (const std::exception& error) {
            return fail(error.what());
        }
    }
    return 0;
}

std::optional<cardgen::LocalDay> parseDay(std::string_view text) {
    int year = 0, month = 0, day = 0;
    if (std::sscanf(std::string(text).c_str(), "%4d-%2d-%2d", &year, &month, &day) != 3 ||
        month < 1 || month > 12 || day < 1 || day > 31) {
        return std::nullopt;
    }
    return cardgen::LocalDay{year, month, day};
}

int generate(const std::vector<std::string_view>& arguments) {
    if (arguments.empty()) {
        return printUsage(stderr, 2);
    }
    cardgen::CardGeneratorOptions options;
    bool force = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string_view option = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (option == "--nights" && hasValue) {
            options.nights = std::atoi(std::string(arguments[++i]).c_str());
            if (options.nights < 1 || options.nights > 3660) {
                return fail(localized("CommandLine", "--nights attend un nombre de 1 à 3660"));
            }
        } else if (option == "--seed" && hasValue) {
            options.seed = std::strtoull(std::string(arguments[++i]).c_str(), nullptr, 10);
        } else if (option == "--first-night" && hasValue) {
            options.firstNight = parseDay(arguments[++i]);
            if (!options.firstNight) {
                return fail(localized("CommandLine", "--first-night attend une date AAAA-MM-JJ"));
            }
        } else if (option == "--airsense11") {
            options.device = cardgen::DeviceFamily::airSense11;
        } else if (option == "--varied") {
            options.variedUse = true;
        } else if (option == "--force") {
            force = true;
        } else {
            return printUsage(stderr, 2);
        }
    }
    // A demo card written among someone's files would be mixed with them, or taken for a card.
    const std::filesystem::path folder(arguments[0]);
    std::error_code unreadable;
    if (!force && std::filesystem::exists(folder, unreadable) &&
        (!std::filesystem::is_directory(folder, unreadable) ||
         !std::filesystem::is_empty(folder, unreadable))) {
        return fail(filled(localized("CommandLine",
                                     "Le dossier « %1 » n’est pas vide : la carte de démonstration "
                                     "n’y est pas écrite. Donnez un dossier vide ou nouveau, ou "
                                     "ajoutez --force."),
                           folder.string()));
    }
    try {
        const auto card = cardgen::generateCard(folder, options);
        std::printf("%s ResMed %s, %s\n",
                    filled(localized("CommandLine", "Carte de démonstration écrite dans %1 :"),
                           std::string(arguments[0]))
                        .c_str(),
                    card.model.c_str(), nightCount(card.nights.size()).c_str());
    } catch (const std::exception& error) {
        return fail(error.what());
    }
    return 0;
}

struct CommandOption {
    std::string_view name;
    bool takesValue;
};

// The options each command knows; anything else that starts with a dash is not a folder name.
std::vector<CommandOption> optionsOf(std::string_view command) {
    if (command == "import") {
        return {{"--json", true}, {"--pretty", false}};
    }
    if (command == "generate") {
        return {{"--nights", true},      {"--seed", true},    {"--first-night", true},
                {"--airsense11", false}, {"--varied", false}, {"--force", false}};
    }
    if (command == "reset") {
        return {{"--verbose", false}, {"--yes", false}};
    }
    if (command == "sync" || command == "sign-in" || command == "sign-out") {
        return {{"--verbose", false}};
    }
    if (command == "report") {
        return {{"--from", true},
                {"--to", true},
                {"--pdf", true},
                {"--csv", true},
                {"--snapshot", true}};
    }
    return {};
}

// Help asked anywhere, or an option the command does not know: what the user typed is never
// taken for a folder (a demo card written into "--help").
std::optional<int> answerOptions(std::string_view command,
                                 const std::vector<std::string_view>& rest) {
    const std::vector<CommandOption> known = optionsOf(command);
    for (std::size_t index = 0; index < rest.size(); ++index) {
        const std::string_view argument = rest[index];
        if (argument == "--help" || argument == "-h") {
            return printUsage(stdout, 0, command);
        }
        if (argument.size() < 2 || argument.front() != '-') {
            continue;
        }
        const auto option = std::find_if(known.begin(), known.end(),
                                         [argument](const auto& o) { return o.name == argument; });
        if (option == known.end()) {
            const std::string message =
                filled(filled(localized("CommandLine",
                                        "velunora-card : option inconnue « %1 » pour « %2 »"),
                              argument),
                       command, "%2");
            std::fprintf(stderr, "%s\n\n", message.c_str());
            return printUsage(stderr, 2, command);
        }
        index += option->takesValue ? 1 : 0;
    }
    return std::nullopt;
}

// The erasure asked on a terminal; without one, --yes is required, so that a script never
// erases by mistake. True when the user agreed.
[[maybe_unused]] bool confirmReset() {
    if (::isatty(STDIN_FILENO) == 0) {
        std::fprintf(
            stderr, "%s\n",
            localized("CommandLine",
                      "velunora-card reset : efface les nuits publiées et l’export local ; "
                      "sans terminal pour le confirmer, ajoutez --yes.")
                .c_str());
        return false;
    }
    std::fprintf(stderr, "%s ",
                 localized("CommandLine", "Effacer les nuits publiées et l’export local ? La carte "
                                          "n’est jamais touchée. [o/N]")
                     .c_str());
    char answer[16] = {};
    if (std::fgets(answer, sizeof answer, stdin) == nullptr) {
        return false;
    }
    const bool yes = answer[0] == 'o' || answer[0] == 'O' || answer[0] == 'y' || answer[0] == 'Y';
    if (!yes) {
        std::fprintf(stderr, "%s\n", localized("CommandLine", "Rien n’a été effacé.").c_str());
    }
    return yes;
}

} // namespace

int main(int argc, char** argv) {
#ifdef VELUNORA_WITH_TEXTS
    // The user's language from the start, for the help and the errors before any Qt object
    // exists; the commands that run the app's services install the same catalogue again.
    static const std::unique_ptr<QTranslator> translator = loadAppTranslator(QLocale::system());
    frenchFigures = speaksFrench(QLocale::system());
    if (translator) {
        installLocalizer([](const char* context, std::string_view frenchText) {
            const std::string key(frenchText);
            const QString translated = translator->translate(context, key.c_str());
            return translated.isEmpty() ? key : translated.toStdString();
        });
    }
#endif
    const std::vector<std::string_view> arguments(argv + std::min(argc, 1), argv + argc);
    if (arguments.empty()) {
        return printUsage(stderr, 2);
    }
    const std::string_view command = arguments[0];
    const std::vector<std::string_view> rest(arguments.begin() + 1, arguments.end());
    if (command == "help" || command == "--help" || command == "-h") {
        const std::string_view asked = rest.empty() ? std::string_view() : rest[0];
        const auto help = commandHelp();
        if (!asked.empty() && std::none_of(help.begin(), help.end(), [asked](const auto& entry) {
                return entry.name == asked;
            })) {
            std::fprintf(
                stderr, "%s\n\n",
                filled(localized("CommandLine", "velunora-card : commande inconnue « %1 »"), asked)
                    .c_str());
            return printUsage(stderr, 2);
        }
        return printUsage(stdout, 0, asked);
    }
    if (const std::optional<int> answered = answerOptions(command, rest)) {
        return *answered;
    }
    if (command == "detect" && rest.size() == 1) {
        return detect(argv[2]);
    }
    if (command == "import" && rest.size() == 1) {
        return import(argv[2], nullptr, SnapshotLayout::compact);
    }
    if (command == "import" && rest.size() == 3 && rest[1] == "--json") {
        return import(argv[2], argv[4], SnapshotLayout::compact);
    }
    if (command == "import" && rest.size() == 4 && rest[1] == "--json" && rest[3] == "--pretty") {
        return import(argv[2], argv[4], SnapshotLayout::pretty);
    }
    if (command == "generate") {
        return generate(rest);
    }
#ifdef VELUNORA_WITH_REPORT
    if (command == "report") {
        return runReport(argc, argv, rest);
    }
#endif
#ifdef VELUNORA_WITH_SYNC
    // --verbose, anywhere after a command that reaches the store: the log's debug lines too.
    std::vector<std::string_view> operands;
    bool verbose = false;
    bool confirmed = false;
    for (const std::string_view argument : rest) {
        if (argument == "--verbose") {
            verbose = true;
        } else if (argument == "--yes" && command == "reset") {
            confirmed = true;
        } else {
            operands.push_back(argument);
        }
    }
    if (verbose) {
        enableVerboseLogging();
    } else {
        quietLogging();
    }
    if (command == "sync" && operands.size() == 1) {
        // A view of a whole argument: its data ends with the argument's NUL.
        return runHeadlessSync(argc, argv, operands[0].data());
    }
    if (command == "reset" && operands.empty()) {
        if (!confirmed && !confirmReset()) {
            return ::isatty(STDIN_FILENO) != 0 ? 1 : 2;
        }
        return runHeadlessReset(argc, argv);
    }
    if (command == "sign-in" && operands.empty()) {
        return runHeadlessSignIn(argc, argv);
    }
    if (command == "sign-out" && operands.empty()) {
        return runHeadlessSignOut(argc, argv);
    }
#endif
    static constexpr std::string_view commands[] = {"detect", "import",  "generate", "sync",
                                                    "reset",  "sign-in", "sign-out", "report"};
    if (std::find(std::begin(commands), std::end(commands), command) == std::end(commands)) {
        std::fprintf(
            stderr, "%s\n\n",
            filled(localized("CommandLine", "velunora-card : commande inconnue « %1 »"), command)
                .c_str());
    }
    return printUsage(stderr, 2);
}
