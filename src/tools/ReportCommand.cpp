#include "tools/ReportCommand.h"

#include "nights/NightsTable.h"
#include "records/SnapshotJSON.h"
#include "report/NightsReport.h"
#include "sync/FailureText.h"
#include "sync/history/UsageTexts.h"
#include "sync/publication/LocalExport.h"
#include "texts/Translations.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <string>

namespace velunora {

namespace {

struct ReportOptions {
    std::optional<usage::Day> from;
    std::optional<usage::Day> to;
    std::string pdf;
    std::string csv;
    std::string snapshot;
};

int usageError(const QString& message) {
    std::fprintf(stderr, "%s\n",
                 QCoreApplication::translate("ReportCommand", "velunora-card report : %1")
                     .arg(message)
                     .toLocal8Bit()
                     .constData());
    return 2;
}

int failure(const QString& message) {
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    return 1;
}

std::optional<OscarSnapshot> readSnapshot(const std::string& file, QString& problem) {
    if (file.empty()) {
        const LocalExport localExport = LocalExport::standard();
        std::optional<OscarSnapshot> published = localExport.loadPreviousSnapshot();
        if (!published) {
            problem = QCoreApplication::translate(
                          "ReportCommand",
                          "Aucune nuit publiée dans « %1 » : synchronisez d’abord une carte "
                          "(velunora-card sync CARTE).")
                          .arg(QString::fromStdString(localExport.snapshotFile().string()));
        }
        return published;
    }
    const std::optional<std::string> bytes = LocalExport::readSnapshotFile(file);
    if (!bytes) {
        problem = QCoreApplication::translate(
                      "ReportCommand", "Le fichier « %1 » n’existe pas ou ne peut pas être lu.")
                      .arg(QString::fromStdString(file));
        return std::nullopt;
    }
    try {
        return decodeSnapshot(*bytes);
    } catch (const std::exception& error) {
        problem = QCoreApplication::translate("ReportCommand",
                                              "« %1 » n’est pas un instantané de nuits : %2")
                      .arg(QString::fromStdString(file), QString::fromUtf8(error.what()));
        return std::nullopt;
    }
}

} // namespace

int runReport(int argc, char** argv, const std::vector<std::string_view>& arguments) {
    // The fonts of the PDF need a GUI application, which needs no display off screen. Made
    // first, so that even a wrong use is told in the user's language.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);
    // French for French readers, English otherwise: the texts and the figures alike.
    const QLocale system = QLocale::system();
    const QLocale locale = speaksFrench(system) ? QLocale(QLocale::French, QLocale::France)
                           : system.language() == QLocale::English
                               ? system
                               : QLocale(QLocale::English, QLocale::UnitedStates);
    QLocale::setDefault(locale);
    installAppTranslations(locale);
    installQtLocalization();

    ReportOptions options;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string_view name = arguments[index];
        if (index + 1 >= arguments.size()) {
            return usageError(
                QCoreApplication::translate("ReportCommand", "il manque la valeur de « %1 »")
                    .arg(QString::fromUtf8(name)));
        }
        const std::string value(arguments[++index]);
        if (name == "--from" || name == "--to") {
            const std::optional<usage::Day> day = usage::parseIsoDay(value);
            if (!day) {
                return usageError(QCoreApplication::translate(
                                      "ReportCommand", "« %1 » n’est pas une date AAAA-MM-JJ")
                                      .arg(QString::fromStdString(value)));
            }
            (name == "--from" ? options.from : options.to) = day;
        } else if (name == "--pdf") {
            options.pdf = value;
        } else if (name == "--csv") {
            options.csv = value;
        } else if (name == "--snapshot") {
            options.snapshot = value;
        } else {
            return usageError(
                QCoreApplication::translate("ReportCommand", "argument inattendu « %1 »")
                    .arg(QString::fromUtf8(name)));
        }
    }
    QString problem;
    const std::optional<OscarSnapshot> snapshot = readSnapshot(options.snapshot, problem);
    if (!snapshot) {
        return failure(problem);
    }
    const std::optional<usage::Period> whole = usage::wholeHistory(snapshot->nights);
    if (!whole && !(options.from && options.to)) {
        return failure(
            QCoreApplication::translate("ReportCommand", "L’instantané ne contient aucune nuit."));
    }
    const usage::Day last = options.to ? *options.to : whole->last;
    const usage::Day first = options.from ? *options.from : usage::periodEndingOn(last, 30).first;
    if (last < first) {
        return usageError(QCoreApplication::translate("ReportCommand",
                                                      "la date de --from est après celle de --to"));
    }
    const NightsReport report{*snapshot, usage::Period{first, last}, locale};
    const usage::PeriodStatistics statistics = usage::summarize(snapshot->nights, report.period);
    std::printf("%s\n", usagetext::period(statistics.period).toLocal8Bit().constData());
    for (const usagetext::Figure& figure : usagetext::periodFigures(statistics)) {
        std::printf("  %s\n", QCoreApplication::translate("ReportCommand", "%1 : %2")
                                  .arg(figure.label, figure.value)
                                  .toLocal8Bit()
                                  .constData());
    }
    if (!options.pdf.empty()) {
        if (const auto failed = writeReportPdf(report, QString::fromStdString(options.pdf))) {
            return failure(*failed);
        }
        std::printf("%s\n", QCoreApplication::translate("ReportCommand", "Rapport écrit dans %1")
                                .arg(QString::fromStdString(options.pdf))
                                .toLocal8Bit()
                                .constData());
    }
    if (!options.csv.empty()) {
        if (const auto failed = writeReportCsv(report, QString::fromStdString(options.csv))) {
            return failure(*failed);
        }
        std::printf("%s\n",
                    QCoreApplication::translate("ReportCommand", "Tableau des nuits écrit dans %1")
                        .arg(QString::fromStdString(options.csv))
                        .toLocal8Bit()
                        .constData());
    }
    return 0;
}

} // namespace velunora
