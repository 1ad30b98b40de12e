// velunora-sync-screenshots FOLDER [--language fr|en]: draws the panel in every status, every
// onboarding page, the reset question and the settings window off screen, with a stand-in
// controller, into PNG files, in the wording a user of that language reads and, where the texts
// depend on it, for each store, so that each change of the views can be looked at.
#include "sync/Status.h"
#include "ui/app/QtTranslations.h"
#include "ui/tray/SymbolImages.h"
#include "ui/windows/QuickObjects.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QQmlEngine>
#include <QQmlEngineExtensionPlugin>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QTimer>
#include <cstdio>
#include <memory>

Q_IMPORT_QML_PLUGIN(Velunora_UiPlugin)

namespace {

using velunora::createUiObject;

QVariantMap withCard(QVariantMap settings, bool needsAccess = false) {
    settings.insert(QStringLiteral("hasDetectedCard"), true);
    settings.insert(QStringLiteral("detectedCardName"),
                    QStringLiteral("ResMed AirSense 10 AutoSet"));
    settings.insert(QStringLiteral("detectedCardPath"),
                    QStringLiteral("/media/camille/RESMED-SD/"));
    settings.insert(QStringLiteral("cardNeedsAccess"), needsAccess);
    // In a USB reader: it can be ejected from the panel.
    settings.insert(QStringLiteral("canEjectCard"), true);
    return settings;
}

// Lets animations and transitions settle before a picture is taken.
void settle(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

bool save(QQuickWindow& window, const QDir& folder, const QString& name) {
    // Shown on the off-screen platform, so that the window takes the size its content asks for.
    window.show();
    settle(350);
    const QString file = folder.filePath(name + QStringLiteral(".png"));
    if (!window.grabWindow().save(file)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return false;
    }
    std::printf("%s\n", qPrintable(file));
    return true;
}

struct Deleter {
    void operator()(QObject* object) const { delete object; }
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_QUICK_BACKEND", "software");
    QGuiApplication application(argc, argv);
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    const QStringList arguments = QCoreApplication::arguments();
    const bool english = arguments.size() == 4 && arguments[2] == QStringLiteral("--language") &&
                         arguments[3] == QStringLiteral("en");
    const bool french = arguments.size() == 2 ||
                        (arguments.size() == 4 && arguments[2] == QStringLiteral("--language") &&
                         arguments[3] == QStringLiteral("fr"));
    if (!english && !french) {
        std::fprintf(stderr, "usage: velunora-sync-screenshots FOLDER [--language fr|en]\n");
        return 2;
    }
    // What a user of that language reads: the app's wording, and Qt's own texts.
    const QLocale locale(english ? QLocale::English : QLocale::French);
    velunora::installAppTranslations(locale);
    velunora::installQtTranslations(locale);
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    engine.addImageProvider(QStringLiteral("symbol"), new velunora::SymbolImageProvider);

    using velunora::Status;
    const auto status = [](const Status& value) {
        return QVariantMap{{QStringLiteral("kindName"), value.kindName()},
                           {QStringLiteral("title"), value.title()},
                           {QStringLiteral("failureText"), value.failureText()}};
    };
    const QString cardName = QStringLiteral("ResMed AirSense 10 AutoSet");
    // This morning at 08:12, whenever the pictures are drawn.
    const QDateTime lastSync(QDate::currentDate(), QTime(8, 12));
    const std::vector<std::pair<QString, QVariantMap>> panels = {
        {QStringLiteral("panel-waiting"),
         {{QStringLiteral("status"), status(Status::needsFolder())}}},
        {QStringLiteral("panel-card-detected"),
         withCard({{QStringLiteral("status"), status(Status::cardReady(cardName))}})},
        {QStringLiteral("panel-card-needs-access"),
         withCard({{QStringLiteral("status"), status(Status::cardNeedsAccess(cardName))}}, true)},
        {QStringLiteral("panel-syncing"),
         withCard({{QStringLiteral("status"), status(Status::syncing())}})},
        {QStringLiteral("panel-success"),
         withCard({{QStringLiteral("status"), status(Status::success(412))},
                   {QStringLiteral("hasLastSync"), true},
                   {QStringLiteral("lastSync"), lastSync},
                   {QStringLiteral("lastSyncSummary"), velunora::describeSyncOutcome(412, 1)}})},
        {QStringLiteral("panel-one-night"),
         withCard({{QStringLiteral("status"), status(Status::success(1))},
                   {QStringLiteral("hasLastSync"), true},
                   {QStringLiteral("lastSync"), lastSync},
                   {QStringLiteral("lastSyncSummary"), velunora::describeSyncOutcome(1, 1)}})},
        {QStringLiteral("panel-nothing-new"),
         withCard({{QStringLiteral("status"), status(Status::success(412))},
                   {QStringLiteral("hasLastSync"), true},
                   {QStringLiteral("lastSync"), lastSync},
                   {QStringLiteral("lastSyncSummary"), velunora::describeSyncOutcome(412, 0)}})},
        {QStringLiteral("panel-failed"),
         withCard({{QStringLiteral("status"),
                    status(Status::failed(QCoreApplication::translate(
                        "WebDAVCloudStoreTexts",
                        "Le serveur WebDAV a refusé l’identifiant ou le mot de passe.")))}})},
        {QStringLiteral("panel-resetting"),
         {{QStringLiteral("status"), status(Status::resetting())}}},
        {QStringLiteral("panel-reset-complete"),
         {{QStringLiteral("status"), status(Status::resetComplete())}}},
    };

    bool allSaved = true;
    const auto makeController = [&engine](const QVariantMap& settings, const QString& store) {
        std::unique_ptr<QObject, Deleter> controller(
            createUiObject(engine, QStringLiteral("PreviewController"), settings));
        if (auto* choice =
                controller ? controller->property("storeChoice").value<QObject*>() : nullptr) {
            choice->setProperty("kind", store);
            choice->setProperty("signedInToICloud", store == QStringLiteral("icloud"));
            if (store == QStringLiteral("icloud")) {
                choice->setProperty("iCloudAccountName", QStringLiteral("Camille Martin"));
            }
            if (store == QStringLiteral("webdav")) {
                choice->setProperty("webDAVAddress",
                                    QStringLiteral("https://cloud.example.org/remote.php/dav/"
                                                   "files/camille/Velunora"));
                choice->setProperty("webDAVUser", QStringLiteral("camille"));
                choice->setProperty(
                    "outcome",
                    QCoreApplication::translate("CloudStoreChoiceTexts",
                                                "Connexion réussie : le serveur répond et accepte "
                                                "votre identifiant. %1 nuits y sont publiées.",
                                                nullptr, 412)
                        .arg(412));
            }
        }
        return controller;
    };
    // The texts that say where the nights go, for each store; the others once, for the
    // default store.
    const QStringList stores{QStringLiteral("local"), QStringLiteral("webdav"),
                             QStringLiteral("icloud")};
    for (const auto& [name, settings] : panels) {
        const bool everyStore = name == QStringLiteral("panel-success");
        for (const QString& store : stores) {
            if (!everyStore && store != stores.front()) {
                continue;
            }
            const auto controller = makeController(settings, store);
            const std::unique_ptr<QObject, Deleter> window(createUiObject(
                engine, QStringLiteral("PanelWindow"),
                {{QStringLiteral("controller"), QVariant::fromValue(controller.get())},
                 {QStringLiteral("besideTray"), false}}));
            auto* quickWindow = qobject_cast<QQuickWindow*>(window.get());
            if (quickWindow == nullptr) {
                return 1;
            }
            allSaved =
                save(*quickWindow, folder, everyStore ? name + QLatin1Char('-') + store : name) &&
                allSaved;
        }
    }

    for (const QString& store : stores) {
        const std::unique_ptr<QObject, Deleter> question(createUiObject(
            engine, QStringLiteral("ResetConfirmationDialog"), {{QStringLiteral("store"), store}}));
        if (auto* dialog = qobject_cast<QQuickWindow*>(question.get())) {
            allSaved =
                save(*dialog, folder, QStringLiteral("reset-confirmation-") + store) && allSaved;
        }
        const auto controller = makeController(withCard({}), store);
        const std::unique_ptr<QObject, Deleter> settings(createUiObject(
            engine, QStringLiteral("SettingsWindow"),
            {{QStringLiteral("controller"), QVariant::fromValue(controller.get())}}));
        if (auto* window = qobject_cast<QQuickWindow*>(settings.get())) {
            allSaved = save(*window, folder, QStringLiteral("settings-") + store) && allSaved;
        }
    }

    for (const bool card : {false, true}) {
        for (const QString& store : stores) {
            if (card && store != stores.front()) {
                continue;
            }
            const auto controller = makeController(card ? withCard({}) : QVariantMap(), store);
            const std::unique_ptr<QObject, Deleter> window(createUiObject(
                engine, QStringLiteral("OnboardingWindow"),
                {{QStringLiteral("controller"), QVariant::fromValue(controller.get())}}));
            auto* quickWindow = qobject_cast<QQuickWindow*>(window.get());
            QObject* view =
                window ? window->findChild<QObject*>(QStringLiteral("onboardingView")) : nullptr;
            if (quickWindow == nullptr || view == nullptr) {
                return 1;
            }
            for (int page = 0; page < 4; ++page) {
                // The third page shows the card; only the first depends on the store.
                if ((card && page != 2) || (store != stores.front() && page != 0)) {
                    continue;
                }
                view->setProperty("page", page);
                settle(900);
                QString name = QStringLiteral("onboarding-page-%1").arg(page + 1);
                if (page == 2) {
                    name += card ? QStringLiteral("-card") : QStringLiteral("-no-card");
                }
                if (page == 0) {
                    name += QLatin1Char('-') + store;
                }
                allSaved = save(*quickWindow, folder, name) && allSaved;
            }
        }
    }
    // The tray's symbols on a dark and a light desktop panel, at scales 1 and 2, with either
    // guess of the panel's shade: each status's symbol, as a tray of 28 points shows it.
    const std::vector<std::pair<QString, QColor>> panelShades = {
        {QStringLiteral("dark"), QColor(0x35, 0x35, 0x35)},
        {QStringLiteral("light"), QColor(0xf0, 0xf0, 0xf0)}};
    const std::vector<QString> traySymbols = {Status::needsFolder().symbolName(),
                                              Status::syncing().symbolName(),
                                              Status::failed({}).symbolName()};
    for (const auto& [shade, colour] : panelShades) {
        for (const int scale : {1, 2}) {
            const int side = 22 * scale;
            const int cell = 28 * scale;
            QImage strip(cell * static_cast<int>(traySymbols.size()) * 2 + cell, cell,
                         QImage::Format_ARGB32_Premultiplied);
            strip.fill(colour);
            QPainter painter(&strip);
            int x = cell / 2;
            for (const bool lightGuess : {true, false}) {
                for (const QString& symbol : traySymbols) {
                    painter.drawImage(x + (cell - side) / 2, (cell - side) / 2,
                                      velunora::renderTraySymbol(symbol, lightGuess, side));
                    x += cell;
                }
            }
            painter.end();
            const QString file =
                folder.filePath(QStringLiteral("tray-on-%1-panel@%2x.png").arg(shade).arg(scale));
            if (!strip.save(file)) {
                std::fprintf(stderr, "velunora-sync-screenshots: %s not saved\n", qPrintable(file));
                allSaved = false;
            }
        }
    }
    return allSaved ? 0 : 1;
}
