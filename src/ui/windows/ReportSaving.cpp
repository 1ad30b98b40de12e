#include "ui/windows/ReportSaving.h"

#include "nights/NightsTable.h"
#include "report/NightsReport.h"
#include "sync/history/NightsHistory.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QUrl>

namespace velunora {

namespace {

// The app's texts of this file, in the user's language.
QString translate(const char* context, const char* text, const char* disambiguation = nullptr,
                  int count = -1) {
    return QCoreApplication::translate(context, text, disambiguation, count);
}

} // namespace

QString suggestedReportName(const NightsHistory& history) {
    const std::optional<usage::Period> period = history.period();
    if (!period) {
        return {};
    }
    return translate("ReportSaving", "Velunora – nuits du %1 au %2.pdf")
        .arg(QString::fromStdString(usage::isoDay(period->first)),
             QString::fromStdString(usage::isoDay(period->last)));
}

void saveReport(const NightsHistory& history) {
    const std::optional<usage::Period> period = history.period();
    if (!period || !history.snapshot()) {
        return;
    }
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString pdf = QFileDialog::getSaveFileName(
        nullptr, translate("ReportSaving", "Enregistrer le rapport pour le médecin"),
        QDir(folder).filePath(suggestedReportName(history)),
        translate("ReportSaving", "Document PDF (*.pdf)"));
    if (pdf.isEmpty()) {
        return;
    }
    if (!pdf.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        pdf += QStringLiteral(".pdf");
    }
    const QFileInfo file(pdf);
    const QString csv = file.dir().filePath(file.completeBaseName() + QStringLiteral(".csv"));
    // Keeps the history alive while the pages are drawn, whatever a sync publishes meanwhile.
    const std::shared_ptr<const OscarSnapshot> snapshot = history.snapshot();
    const NightsReport report{*snapshot, *period, QLocale()};
    std::optional<QString> failure = writeReportPdf(report, pdf);
    if (!failure) {
        failure = writeReportCsv(report, csv);
    }
    if (failure) {
        QMessageBox::warning(nullptr, translate("ReportSaving", "Rapport non enregistré"),
                             *failure);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(pdf));
}

} // namespace velunora
