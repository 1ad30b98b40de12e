// velunora-sync-screenshots FOLDER [--language fr|en]: draws the panel in every status, every
// onboarding page, the reset question and the settings window off screen, with the real
// controller over services in memory, into PNG files, in the wording a user of that language reads
// and, where the texts depend on it, for each store, so that each change of the views can be looked
// at.
#include "sync/Status.h"
#include "sync/SyncController.h"
#include "sync/history/NightsHistory.h"
#include "texts/Translations.h"
#include "ui/app/VelunoraSyncApp.h"
#include "ui/preview/PreviewSession.h"
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
using velunora::preview::PreviewSession;

// How the session starts for one picture; the status, when given, is shown once it runs.
struct Scene {
    bool card = false;
    bool cardReadable = true;
    bool lastSync = false;
    int nights = 0;
    int newNights = 0;
    QString status{};
    QString failureText{};
};

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

// Waits, a while at most, for what the session reads off the main thread.
void settleUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 2000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

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
    QLocale::setDefault(locale);
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
    // This morning at 08:12, whenever the pictures are drawn.
    const QDateTime lastSync(QDate::currentDate(), QTime(8, 12));
    const std::vector<std::pair<QString, Scene>> panels = {
        {QStringLiteral("panel-waiting"), {}},
        {QStringLiteral("panel-card-detected"), {.card = true}},
        {QStringLiteral("panel-card-needs-access"), {.card = true, .cardReadable = false}},
        {QStringLiteral("panel-syncing"), {.card = true, .status = QStringLiteral("syncing")}},
        {QStringLiteral("panel-success"),
         {.card = true,
          .lastSync = true,
          .nights = 412,
          .newNights = 1,
          .status = QStringLiteral("success")}},
        {QStringLiteral("panel-one-night"),
         {.card = true,
          .lastSync = true,
          .nights = 1,
          .newNights = 1,
          .status = QStringLiteral("success")}},
        {QStringLiteral("panel-nothing-new"),
         {.card = true,
          .lastSync = true,
          .nights = 412,
          .newNights = 0,
          .status = QStringLiteral("success")}},
        {QStringLiteral("panel-failed"),
         {.card = true,
          .status = QStringLiteral("failed"),
          .failureText = QCoreApplication::translate(
                             "WebDAVCloudStoreTexts",
                             "Le serveur WebDAV a refusé l’identifiant «\u00a0%1\u00a0» ou son "
                             "mot de passe.")
                             .arg(QStringLiteral("camille"))}},
        {QStringLiteral("panel-resetting"), {.status = QStringLiteral("resetting")}},
        {QStringLiteral("panel-reset-complete"), {.status = QStringLiteral("resetComplete")}},
    };

    bool allSaved = true;
    // The real controller over services in memory, in the state the scene asks for.
    const auto makeSession = [&lastSync](const Scene& scene, const QString& store) {
        auto session = std::make_unique<PreviewSession>();
        session->setProperty("store", store);
        session->setProperty("cardInserted", scene.card);
        session->setProperty("cardReadable", scene.cardReadable);
        if (scene.lastSync) {
            session->setProperty("lastSync", lastSync);
            session->setProperty("lastSyncNights", scene.nights);
            session->setProperty("lastSyncNewNights", scene.newNights);
        }
        session->setProperty("dataFolder", QStringLiteral("/home/marie/.local/share"));
        session->setProperty("localStoreFolder",
                             QStringLiteral("/home/marie/.local/share/velunora-sync/cloud"));
        session->start();
        if (!scene.status.isEmpty()) {
            session->showStatus(scene.status, scene.failureText, scene.nights);
        }
        velunora::CloudStoreChoice* choice = session->controller()->storeChoice();
        if (store == QStringLiteral("icloud")) {
            settleUntil([choice] { return choice->signedInToICloud(); });
        }
        if (store == QStringLiteral("webdav")) {
            session->showStoreOutcome(
                QCoreApplication::translate("CloudStoreChoiceTexts",
                                            "Connexion réussie : le serveur répond et accepte "
                                            "votre identifiant. %1 nuits y sont publiées.",
                                            nullptr, 412)
                    .arg(412),
                false);
        }
        return session;
    };
    // The texts that say where the nights go, for each store; the others once, for the
    // default store.
    const QStringList stores{QStringLiteral("local"), QStringLiteral("webdav"),
                             QStringLiteral("icloud")};
    for (const auto& [name, scene] : panels) {
        const bool everyStore = name == QStringLiteral("panel-success");
        for (const QString& store : stores) {
            if (!everyStore && store != stores.front()) {
                continue;
            }
            const auto session = makeSession(scene, store);
            const std::unique_ptr<QObject, Deleter> window(createUiObject(
                engine, QStringLiteral("PanelWindow"),
                {{QStringLiteral("controller"), QVariant::fromValue(session->controller())},
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
        const auto session = makeSession({.card = true}, store);
        const std::unique_ptr<QObject, Deleter> settings(createUiObject(
            engine, QStringLiteral("SettingsWindow"),
            {{QStringLiteral("controller"), QVariant::fromValue(session->controller())}}));
        if (auto* window = qobject_cast<QQuickWindow*>(settings.get())) {
            allSaved = save(*window, folder, QStringLiteral("settings-") + store) && allSaved;
        }
    }

    // Last night in the panel, and the history window: the last 30 days with the newest night
    // and its series, then 90 days with an older night, which keeps no series.
    {
        const auto session = makeSession({.card = true,
                                          .lastSync = true,
                                          .nights = 60,
                                          .newNights = 1,
                                          .status = QStringLiteral("success")},
                                         stores.front());
        session->publishNights(60);
        velunora::NightsHistory* history = session->controller()->history();
        const std::unique_ptr<QObject, Deleter> panel(createUiObject(
            engine, QStringLiteral("PanelWindow"),
            {{QStringLiteral("controller"), QVariant::fromValue(session->controller())},
             {QStringLiteral("besideTray"), false}}));
        if (auto* window = qobject_cast<QQuickWindow*>(panel.get())) {
            allSaved = save(*window, folder, QStringLiteral("panel-last-night")) && allSaved;
        }
        // GNOME without the extension: the panel is the app's window and says how to get the icon.
        const std::unique_ptr<QObject, Deleter> alone(createUiObject(
            engine, QStringLiteral("PanelWindow"),
            {{QStringLiteral("controller"), QVariant::fromValue(session->controller())},
             {QStringLiteral("besideTray"), false},
             {QStringLiteral("noTrayAdvice"), velunora::noTrayAdvice(QStringLiteral("GNOME"))}}));
        if (auto* window = qobject_cast<QQuickWindow*>(alone.get())) {
            allSaved =
                save(*window, folder, QStringLiteral("panel-without-tray-gnome")) && allSaved;
        }
        const std::unique_ptr<QObject, Deleter> historyWindow(
            createUiObject(engine, QStringLiteral("HistoryWindow"),
                           {{QStringLiteral("history"), QVariant::fromValue(history)}}));
        auto* window = qobject_cast<QQuickWindow*>(historyWindow.get());
        if (window == nullptr) {
            return 1;
        }
        allSaved = save(*window, folder, QStringLiteral("history-30-days")) && allSaved;
        history->setPeriodDays(90);
        history->selectNight(10);
        allSaved = save(*window, folder, QStringLiteral("history-90-days-older-night")) && allSaved;
    }

    for (const bool card : {false, true}) {
        for (const QString& store : stores) {
            if (card && store != stores.front()) {
                continue;
            }
            const auto session = makeSession({.card = card}, store);
            const std::unique_ptr<QObject, Deleter> window(createUiObject(
                engine, QStringLiteral("OnboardingWindow"),
                {{QStringLiteral("controller"), QVariant::fromValue(session->controller())}}));
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
