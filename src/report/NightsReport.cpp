#include "report/NightsReport.h"

#include "nights/NightsTable.h"
#include "sync/history/UsageTexts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <cmath>

namespace velunora {

namespace {

// The app's texts of this file, in the user's language.
QString translate(const char* context, const char* text, const char* disambiguation = nullptr,
                  int count = -1) {
    return QCoreApplication::translate(context, text, disambiguation, count);
}

// The page in points (72 a inch), its margins and the sizes of its text.
constexpr double pageWidth = 595.0, pageHeight = 842.0, margin = 48.0;
constexpr double contentWidth = pageWidth - 2 * margin;
constexpr double rowHeight = 14.0;
const QColor ink(0x1d, 0x1d, 0x1f), quiet(0x6e, 0x6e, 0x73), rule(0xd2, 0xd2, 0xd7);
const QColor barColour(0x2f, 0x6f, 0xb3), shortBarColour(0xc7, 0x7c, 0x02);

QFont fontOf(double points, bool bold = false) {
    QFont font = QGuiApplication::font();
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QString deviceText(const OscarSnapshot& snapshot) {
    QStringList devices;
    for (const PAPMachine& machine : snapshot.machines) {
        const QString name = QString::fromStdString(machine.displayName());
        devices.append(machine.serialNumber.empty()
                           ? name
                           : translate("NightsReport", "%1, numéro de série %2")
                                 .arg(name, QString::fromStdString(machine.serialNumber)));
    }
    return devices.isEmpty() ? translate("NightsReport", "inconnu")
                             : devices.join(QStringLiteral(" ; "));
}

class ReportPainter {
public:
    ReportPainter(QPdfWriter& writer, const NightsReport& report)
        : painter_(&writer)
        , writer_(writer)
        , report_(report) {}

    bool isActive() const { return painter_.isActive(); }

    void draw(std::span<const usage::DayOfUse> days, const usage::PeriodStatistics& statistics) {
        std::int64_t nightRows = 0;
        for (const usage::DayOfUse& day : days) {
            nightRows += static_cast<std::int64_t>(day.nights.size());
        }
        pageCount_ = 1 + static_cast<int>((nightRows + rowsPerPage() - 1) / rowsPerPage());
        drawSummaryPage(days, statistics);
        drawNightPages(days);
    }

private:
    static std::int64_t rowsPerPage() {
        return static_cast<std::int64_t>((pageHeight - 2 * margin - 60.0) / rowHeight);
    }

    void text(double x, double y, double width, const QString& value, const QFont& font,
              const QColor& colour = ink, Qt::Alignment alignment = Qt::AlignLeft) {
        painter_.setFont(font);
        painter_.setPen(colour);
        painter_.drawText(QRectF(x, y, width, 400.0),
                          int(alignment | Qt::AlignTop | Qt::TextWordWrap), value);
    }

    double wrappedHeight(double width, const QString& value, const QFont& font) {
        painter_.setFont(font);
        return painter_.boundingRect(QRectF(0, 0, width, 400.0), Qt::TextWordWrap, value).height();
    }

    void footer() {
        text(margin, pageHeight - margin + 12.0, contentWidth,
             translate("NightsReport", "Velunora Sync · page %1 sur %2").arg(page_).arg(pageCount_),
             fontOf(7.5), quiet, Qt::AlignRight);
    }

    void nextPage() {
        footer();
        writer_.newPage();
        ++page_;
    }

    void drawSummaryPage(std::span<const usage::DayOfUse> days,
                         const usage::PeriodStatistics& statistics) {
        const QLocale& locale = report_.locale;
        double y = margin;
        text(margin, y, contentWidth,
             translate("NightsReport", "Relevé d’utilisation de l’appareil de PPC"),
             fontOf(17, true));
        y += 26;
        text(margin, y, contentWidth, usagetext::period(statistics.period, locale), fontOf(10.5));
        y += 17;
        const QString device =
            translate("NightsReport", "Appareil : %1").arg(deviceText(report_.snapshot));
        text(margin, y, contentWidth, device, fontOf(9.5), quiet);
        y += wrappedHeight(contentWidth, device, fontOf(9.5)) + 2;
        text(
            margin, y, contentWidth,
            translate("NightsReport",
                      "Établi le %1 à partir des nuits enregistrées par l’appareil. Les jours sans "
                      "utilisation comptent pour 0 h.")
                .arg(usagetext::longDate(QDate::currentDate(), locale)),
            fontOf(8.5), quiet);
        y += 26;

        const double labelWidth = 230.0;
        for (const usagetext::Figure& figure : usagetext::periodFigures(statistics, locale)) {
            const double height = std::max(
                rowHeight, wrappedHeight(contentWidth - labelWidth, figure.value, fontOf(9.5)) + 4);
            text(margin, y + 2, labelWidth - 8, figure.label, fontOf(9.5), quiet);
            text(margin + labelWidth, y + 2, contentWidth - labelWidth, figure.value,
                 fontOf(9.5, true));
            y += height + 3;
            painter_.setPen(QPen(rule, 0.5));
            painter_.drawLine(QPointF(margin, y), QPointF(margin + contentWidth, y));
        }
        y += 22;
        text(margin, y, contentWidth, translate("NightsReport", "Heures d’utilisation par nuit"),
             fontOf(11, true));
        y += 20;
        drawHoursChart(QRectF(margin + 24, y, contentWidth - 24, 170), days);
        nextPage();
    }

    void drawHoursChart(const QRectF& area, std::span<const usage::DayOfUse> days) {
        double largest = 0.0;
        for (const usage::DayOfUse& day : days) {
            largest = std::max(largest, day.hours);
        }
        const double top = std::max(10.0, std::ceil(largest / 2.0) * 2.0);
        const auto yOf = [&](double hours) { return area.bottom() - area.height() * hours / top; };
        painter_.setFont(fontOf(7.5));
        for (double hours = 0; hours <= top + 1e-9; hours += 2) {
            painter_.setPen(QPen(rule, 0.4));
            painter_.drawLine(QPointF(area.left(), yOf(hours)), QPointF(area.right(), yOf(hours)));
            painter_.setPen(quiet);
            painter_.drawText(QRectF(area.left() - 26, yOf(hours) - 6, 22, 12),
                              int(Qt::AlignRight | Qt::AlignVCenter),
                              translate("NightsReport", "%1 h").arg(static_cast<int>(hours)));
        }
        const auto count = static_cast<double>(std::max<std::size_t>(days.size(), 1));
        const double slot = area.width() / count;
        const double barWidth = std::max(slot * 0.72, 0.3);
        for (std::size_t index = 0; index < days.size(); ++index) {
            const double hours = std::min(days[index].hours, top);
            if (hours <= 0.0) {
                continue;
            }
            const double x =
                area.left() + slot * static_cast<double>(index) + (slot - barWidth) / 2;
            painter_.fillRect(QRectF(x, yOf(hours), barWidth, area.bottom() - yOf(hours)),
                              days[index].isCompliant() ? barColour : shortBarColour);
        }
        QPen threshold(ink, 0.8, Qt::DashLine);
        painter_.setPen(threshold);
        painter_.drawLine(QPointF(area.left(), yOf(usage::compliantHours)),
                          QPointF(area.right(), yOf(usage::compliantHours)));
        // Dates under the first, middle and last days.
        painter_.setPen(quiet);
        painter_.setFont(fontOf(7.5));
        if (!days.empty()) {
            for (const std::size_t index : {std::size_t{0}, days.size() / 2, days.size() - 1}) {
                const double centre = area.left() + slot * (static_cast<double>(index) + 0.5);
                painter_.drawText(
                    QRectF(centre - 40, area.bottom() + 3, 80, 12), Qt::AlignHCenter,
                    usagetext::shortNightDate(usagetext::dateOf(days[index].day), report_.locale));
            }
        }
        text(area.left(), area.bottom() + 18, area.width(),
             translate("NightsReport",
                       "Trait pointillé : 4 h. En orange : les nuits de moins de 4 h."),
             fontOf(7.5), quiet);
    }

    void drawNightPages(std::span<const usage::DayOfUse> days) {
        const QLocale& locale = report_.locale;
        const QStringList headers{
            translate("NightsReport", "Nuit"),         translate("NightsReport", "Utilisation"),
            translate("NightsReport", "IAH"),          translate("NightsReport", "Pression moy."),
            translate("NightsReport", "Pression 95e"), translate("NightsReport", "Fuite 95e"),
            translate("NightsReport", "≥ 4 h")};
        const double widths[] = {130, 70, 55, 75, 75, 60, 34};
        const auto header = [&](double y) {
            text(margin, y, contentWidth, translate("NightsReport", "Les nuits"), fontOf(11, true));
            y += 22;
            double x = margin;
            for (qsizetype column = 0; column < headers.size(); ++column) {
                text(x, y, widths[column] - 4, headers[column], fontOf(8, true), quiet,
                     column == 0 ? Qt::AlignLeft : Qt::AlignRight);
                x += widths[column];
            }
            y += rowHeight + 2;
            painter_.setPen(QPen(rule, 0.5));
            painter_.drawLine(QPointF(margin, y - 2), QPointF(margin + contentWidth, y - 2));
            return y;
        };
        const auto optional = [&](const std::optional<double>& value, auto format) {
            return value && std::isfinite(*value) ? format(*value, locale)
                                                  : translate("NightsReport", "—");
        };
        double y = header(margin);
        std::int64_t rowsOnPage = 0;
        for (const usage::DayOfUse& day : days) {
            for (const NightSummary* night : day.nights) {
                if (rowsOnPage == rowsPerPage()) {
                    nextPage();
                    y = header(margin);
                    rowsOnPage = 0;
                }
                const QStringList cells{
                    usagetext::shortNightDate(usagetext::dateOf(day.day), locale),
                    usagetext::hours(night->maskOnHours),
                    locale.toString(night->ahi, 'f', 1),
                    optional(night->pressureAverage, usagetext::pressure),
                    optional(night->pressure95th, usagetext::pressure),
                    optional(night->leak95th, usagetext::leak),
                    night->maskOnHours >= usage::compliantHours ? translate("NightsReport", "oui")
                                                                : translate("NightsReport", "non"),
                };
                double x = margin;
                for (qsizetype column = 0; column < cells.size(); ++column) {
                    text(x, y, widths[column] - 4, cells[column], fontOf(8.5), ink,
                         column == 0 ? Qt::AlignLeft : Qt::AlignRight);
                    x += widths[column];
                }
                y += rowHeight;
                ++rowsOnPage;
            }
        }
        if (rowsOnPage == 0) {
            text(margin, y, contentWidth,
                 translate("NightsReport", "Aucune nuit enregistrée dans la période."), fontOf(9.5),
                 quiet);
        }
        footer();
    }

    QPainter painter_;
    QPdfWriter& writer_;
    const NightsReport& report_;
    int page_ = 1;
    int pageCount_ = 1;
};

std::optional<QString> failureOf(const QSaveFile& file, const QString& path) {
    return translate("NightsReport", "Le rapport n’a pas pu être écrit dans « %1 » : %2")
        .arg(path, file.errorString());
}

} // namespace

std::optional<QString> writeReportPdf(const NightsReport& report, const QString& path) {
    const std::vector<usage::DayOfUse> days =
        usage::daysOfUse(report.snapshot.nights, report.period);
    const usage::PeriodStatistics statistics = usage::summarize(days, report.period);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return failureOf(file, path);
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(72);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0), QPageLayout::Point));
        writer.setTitle(translate("NightsReport", "Relevé d’utilisation de l’appareil de PPC"));
        writer.setCreator(QStringLiteral("Velunora Sync"));
        ReportPainter painter(writer, report);
        if (!painter.isActive()) {
            file.cancelWriting();
            return translate("NightsReport", "Le rapport n’a pas pu être dessiné.");
        }
        painter.draw(days, statistics);
    }
    if (!file.commit()) {
        return failureOf(file, path);
    }
    return std::nullopt;
}

std::optional<QString> writeReportCsv(const NightsReport& report, const QString& path) {
    const std::vector<usage::DayOfUse> days =
        usage::daysOfUse(report.snapshot.nights, report.period);
    const std::string table = usage::nightsTable(days);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(table.data(), static_cast<qint64>(table.size())) !=
            static_cast<qint64>(table.size()) ||
        !file.commit()) {
        return failureOf(file, path);
    }
    return std::nullopt;
}

} // namespace velunora
