// velunora-sync-screenshots FOLDER: draws the panel in every status and every onboarding page
// off screen, with a stand-in controller, into PNG files, so that each change of the views can be
// looked at.
#include "ui/QuickObjects.h"
#include "ui/SymbolImages.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
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

QVariantMap status(const QString& kind, const QString& title, const QString& failure = {}) {
    return {{QStringLiteral("kindName"), kind},
            {QStringLiteral("title"), title},
            {QStringLiteral("failureText"), failure}};
}

QVariantMap withCard(QVariantMap settings, bool needsAccess = false) {
    settings.insert(QStringLiteral("hasDetectedCard"), true);
    settings.insert(QStringLiteral("detectedCardName"),
                    QStringLiteral("ResMed AirSense 10 AutoSet"));
    settings.insert(QStringLiteral("detectedCardPath"),
                    QStringLiteral("/media/camille/RESMED-SD/"));
    settings.insert(QStringLiteral("cardNeedsAccess"), needsAccess);
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
    if (argc != 2) {
        std::fprintf(stderr, "usage: velunora-sync-screenshots FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    engine.addImageProvider(QStringLiteral("symbol"), new velunora::SymbolImageProvider);

    const QString waiting = QStringLiteral("En attente d\u2019une carte SD");
    const QString ready =
        QStringLiteral("Carte d\u00e9tect\u00e9e \u00b7 ResMed AirSense 10 AutoSet");
    const std::vector<std::pair<QString, QVariantMap>> panels = {
        {QStringLiteral("panel-waiting"),
         {{QStringLiteral("status"), status(QStringLiteral("needsFolder"), waiting)}}},
        {QStringLiteral("panel-card-detected"),
         withCard({{QStringLiteral("status"), status(QStringLiteral("cardReady"), ready)}})},
        {QStringLiteral("panel-card-needs-access"),
         withCard({{QStringLiteral("status"), status(QStringLiteral("cardNeedsAccess"),
                                                     QStringLiteral("Autorisation requise"))}},
                  true)},
        {QStringLiteral("panel-syncing"),
         withCard({{QStringLiteral("status"),
                    status(QStringLiteral("syncing"), QStringLiteral("Synchronisation\u2026"))}})},
        {QStringLiteral("panel-success"),
         withCard(
             {{QStringLiteral("status"),
               status(QStringLiteral("success"), QStringLiteral("412 nuits synchronis\u00e9es"))},
              {QStringLiteral("hasLastSync"), true}})},
        {QStringLiteral("panel-failed"),
         withCard(
             {{QStringLiteral("status"),
               status(QStringLiteral("failed"), QStringLiteral("\u00c9chec de la synchronisation"),
                      QStringLiteral("Le serveur WebDAV a refus\u00e9 l\u2019identifiant ou le mot "
                                     "de passe. V\u00e9rifiez le compte dans les r\u00e9glages "
                                     "du stockage, puis synchronisez \u00e0 nouveau."))}})},
        {QStringLiteral("panel-resetting"),
         {{QStringLiteral("status"),
           status(QStringLiteral("resetting"), QStringLiteral("Remise \u00e0 z\u00e9ro\u2026"))}}},
        {QStringLiteral("panel-reset-complete"),
         {{QStringLiteral("status"),
           status(QStringLiteral("resetComplete"),
                  QStringLiteral("Donn\u00e9es r\u00e9initialis\u00e9es"))}}},
    };

    bool allSaved = true;
    for (const auto& [name, settings] : panels) {
        const std::unique_ptr<QObject, Deleter> controller(
            createUiObject(engine, QStringLiteral("PreviewController"), settings));
        const std::unique_ptr<QObject, Deleter> window(
            createUiObject(engine, QStringLiteral("PanelWindow"),
                           {{QStringLiteral("controller"), QVariant::fromValue(controller.get())},
                            {QStringLiteral("besideTray"), false}}));
        auto* quickWindow = qobject_cast<QQuickWindow*>(window.get());
        if (quickWindow == nullptr) {
            return 1;
        }
        allSaved = save(*quickWindow, folder, name) && allSaved;
    }

    const std::unique_ptr<QObject, Deleter> question(
        createUiObject(engine, QStringLiteral("ResetConfirmationDialog")));
    if (auto* dialog = qobject_cast<QQuickWindow*>(question.get())) {
        allSaved = save(*dialog, folder, QStringLiteral("reset-confirmation")) && allSaved;
    }

    for (const bool card : {false, true}) {
        QVariantMap settings = card ? withCard({}) : QVariantMap();
        const std::unique_ptr<QObject, Deleter> controller(
            createUiObject(engine, QStringLiteral("PreviewController"), settings));
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
            if (card && page != 2) {
                continue; // only the third page shows the card
            }
            view->setProperty("page", page);
            settle(900);
            const QString name =
                QStringLiteral("onboarding-page-%1%2")
                    .arg(page + 1)
                    .arg(page == 2 ? (card ? QStringLiteral("-card") : QStringLiteral("-no-card"))
                                   : QString());
            allSaved = save(*quickWindow, folder, name) && allSaved;
        }
    }
    return allSaved ? 0 : 1;
}
