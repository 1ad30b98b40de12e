#include "records/SnapshotJSON.h"
#include "support/TestSupport.h"
#include "sync/cloud/CloudSnapshotService.h"
#include "sync/cloud/CloudTestSupport.h"
#include "sync/cloud/RecordStore.h"
#include "sync/cloud/local/LocalCloudStore.h"

#include <QSemaphore>
#include <QThread>
#include <QTimeZone>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>
#include <qcoro/qcorotask.h>

namespace velunora {
namespace {

namespace fs = std::filesystem;

using testing::await;

OscarSnapshot snapshotWithNights(int count) {
    OscarSnapshot snapshot;
    snapshot.generatedAt = Date{1714631415.75};
    snapshot.machines = {
        makePAPMachine("ResMed", "AirSense 10 AutoSet", "23171234567", Date{1714631415})};
    for (int index = 0; index < count; ++index) {
        NightSummary night;
        night.date = Date{1714514400.0 + 86400.0 * index};
        night.totalHours = 7.5;
        night.maskOnHours = 7.25;
        night.ahi = 1.25;
        night.sessions = {PAPSession{1714600000 + index, Date{1714600000.0 + 86400.0 * index},
                                     Date{1714626000.0 + 86400.0 * index}, 26000}};
        snapshot.nights.push_back(night);
    }
    return snapshot;
}

// Stands in for the cloud: answers as scripted and notes what reached it and from where.
struct ScriptedCloud {
    std::mutex mutex;
    std::optional<CloudError> fetchFailure;
    std::optional<CloudError> saveFailure;
    std::optional<CloudError> deleteFailure;
    CloudRecord stored{QStringLiteral("OscarSnapshot"),
                       snapshotRecordName,
                       QStringLiteral("tag-1"),
                       {{QStringLiteral("note"), QStringLiteral("kept")}}};
    std::vector<std::string> calls;
    std::vector<CloudRecord> saved;
    // The payload as the store was handed it while saving, and where its bytes lay.
    std::string payloadBytes;
    const char* payloadData = nullptr;
    Qt::HANDLE workerThread = nullptr;
    // Called inside every operation, on the worker thread.
    std::function<void()> whileWorking;
    std::atomic<int> inside = 0;
    std::atomic<int> mostInside = 0;
};

class ScriptedCloudStore final : public RecordStore {
public:
    explicit ScriptedCloudStore(std::shared_ptr<ScriptedCloud> cloud)
        : cloud_(std::move(cloud)) {}

    CloudRecord fetchRecord(const QString& recordName) override {
        const Inside inside(*cloud_, "fetch " + recordName.toStdString());
        if (cloud_->fetchFailure) {
            throw *cloud_->fetchFailure;
        }
        return cloud_->stored;
    }
    QByteArray fetchAsset(const QString& recordName, const QString&) override {
        const Inside inside(*cloud_, "download " + recordName.toStdString());
        return QByteArray::fromStdString(cloud_->payloadBytes);
    }
    QString saveRecord(const CloudRecord& record) override {
        const Inside inside(*cloud_, "save " + record.recordName.toStdString());
        const std::lock_guard lock(cloud_->mutex);
        cloud_->saved.push_back(record);
        if (const auto* asset =
                std::get_if<CloudAsset>(&record.fields.at(QStringLiteral("payload")))) {
            cloud_->payloadBytes = std::string(asset->view());
            cloud_->payloadData = asset->view().data();
        }
        if (cloud_->saveFailure) {
            throw *cloud_->saveFailure;
        }
        return QStringLiteral("saved");
    }
    void deleteRecord(const QString& recordName) override {
        const Inside inside(*cloud_, "delete " + recordName.toStdString());
        if (cloud_->deleteFailure) {
            throw *cloud_->deleteFailure;
        }
    }

private:
    class Inside {
    public:
        Inside(ScriptedCloud& cloud, std::string call)
            : cloud_(cloud) {
            const int now = ++cloud_.inside;
            cloud_.mostInside = std::max(cloud_.mostInside.load(), now);
            {
                const std::lock_guard lock(cloud_.mutex);
                cloud_.calls.push_back(std::move(call));
                cloud_.workerThread = QThread::currentThreadId();
            }
            if (cloud_.whileWorking) {
                cloud_.whileWorking();
            }
        }
        ~Inside() { --cloud_.inside; }
        Inside(const Inside&) = delete;
        Inside& operator=(const Inside&) = delete;

    private:
        ScriptedCloud& cloud_;
    };

    std::shared_ptr<ScriptedCloud> cloud_;
};

class CloudSnapshotServiceTest : public ::testing::Test {
protected:
    testing::TemporaryFolder folder;
    fs::path temporary = folder.makeFolder("tmp");
    const testing::ScopedSystemTemporaryFolder systemTemporary{temporary};
    std::shared_ptr<ScriptedCloud> cloud = std::make_shared<ScriptedCloud>();

    CloudSnapshotService scriptedService() {
        return CloudSnapshotService(std::make_unique<ScriptedCloudStore>(cloud));
    }

    // The system's temporary folder must be empty after every save, whichever way it ended.
    std::vector<std::string> temporaryFilesLeft() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(temporary)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(CloudSnapshotServiceTest, FirstSaveCreatesTheOneRecordWithItsThreeFields) {
    fs::path root = folder.path() / "cloud";
    CloudSnapshotService service(std::make_unique<LocalCloudStore>(root));
    const OscarSnapshot snapshot = snapshotWithNights(3);

    await(service.saveSnapshot(snapshot));

    LocalCloudStore published(root);
    const CloudRecord record = published.fetchRecord(QStringLiteral("current-oscar-snapshot"));
    EXPECT_EQ(record.recordType, QStringLiteral("OscarSnapshot"));
    EXPECT_EQ(std::get<QDateTime>(record.fields.at(QStringLiteral("generatedAt"))),
              QDateTime::fromMSecsSinceEpoch(1714631415750, QTimeZone::utc()));
    EXPECT_EQ(std::get<qint64>(record.fields.at(QStringLiteral("nightCount"))), 3);
    EXPECT_EQ(testing::readFile(published.assetFile(record.recordName, QStringLiteral("payload"))),
              makeSnapshotEncoder().encode(snapshot))
        << "the payload is the local export's encoding, byte for byte";
    EXPECT_TRUE(temporaryFilesLeft().empty());
}

TEST_F(CloudSnapshotServiceTest, LaterSaveReplacesTheFieldsAndKeepsNameTypeAndTheRest) {
    fs::path root = folder.path() / "cloud";
    LocalCloudStore published(root);
    published.saveRecord({QStringLiteral("OscarSnapshot"),
                          QStringLiteral("current-oscar-snapshot"),
                          {},
                          {{QStringLiteral("nightCount"), qint64{40}},
                           {QStringLiteral("note"), QStringLiteral("set by the phone")},
                           {QStringLiteral("payload"), testing::assetOf("earlier")}}});
    const QString earlierTag = published.fetchRecord(snapshotRecordName).changeTag;
    CloudSnapshotService service(std::make_unique<LocalCloudStore>(root));
    const OscarSnapshot empty = snapshotWithNights(0);

    await(service.saveSnapshot(empty));

    const CloudRecord record = published.fetchRecord(snapshotRecordName);
    EXPECT_EQ(record.recordType, QStringLiteral("OscarSnapshot"));
    EXPECT_NE(record.changeTag, earlierTag);
    EXPECT_EQ(std::get<qint64>(record.fields.at(QStringLiteral("nightCount"))), 0);
    EXPECT_EQ(std::get<QString>(record.fields.at(QStringLiteral("note"))),
              QStringLiteral("set by the phone"));
    const std::string payload =
        testing::readFile(published.assetFile(record.recordName, QStringLiteral("payload")));
    EXPECT_EQ(payload, makeSnapshotEncoder().encode(empty));
    EXPECT_TRUE(decodeSnapshot(payload).nights.empty());
    EXPECT_TRUE(temporaryFilesLeft().empty());
}

TEST_F(CloudSnapshotServiceTest, DeleteSucceedsWhetherOrNotTheRecordExists) {
    fs::path root = folder.path() / "cloud";
    CloudSnapshotService service(std::make_unique<LocalCloudStore>(root));
    EXPECT_NO_THROW(await(service.deleteSnapshot())) << "nothing published yet";
    await(service.saveSnapshot(snapshotWithNights(1)));
    await(service.deleteSnapshot());
    EXPECT_THROW(LocalCloudStore(root).fetchRecord(snapshotRecordName), CloudError);
    EXPECT_NO_THROW(await(service.deleteSnapshot()));

    cloud->deleteFailure = CloudError(cloudcode::notAuthenticated, QStringLiteral("compte"));
    CloudSnapshotService failing = scriptedService();
    try {
        await(failing.deleteSnapshot());
        ADD_FAILURE() << "the failure was swallowed";
    } catch (const CloudError& error) {
        EXPECT_EQ(error.code(), cloudcode::notAuthenticated);
    }
}

TEST_F(CloudSnapshotServiceTest, UnknownRecordOnFetchMakesANewRecord) {
    cloud->fetchFailure = CloudError(cloudcode::unknownItem, QStringLiteral("absent"));
    CloudSnapshotService service = scriptedService();
    const OscarSnapshot snapshot = snapshotWithNights(2);

    await(service.saveSnapshot(snapshot));

    ASSERT_EQ(cloud->saved.size(), 1u);
    const CloudRecord& record = cloud->saved.front();
    EXPECT_EQ(record.recordType, QStringLiteral("OscarSnapshot"));
    EXPECT_EQ(record.recordName, QStringLiteral("current-oscar-snapshot"));
    EXPECT_TRUE(record.changeTag.isEmpty());
    EXPECT_EQ(record.fields.size(), 3u);
    EXPECT_EQ(cloud->payloadBytes, makeSnapshotEncoder().encode(snapshot));
    EXPECT_TRUE(temporaryFilesLeft().empty()) << "the payload, health data, went through no file";
}

TEST_F(CloudSnapshotServiceTest, FailuresReachTheCallerUnchangedAndLeaveNoPayloadFile) {
    CloudSnapshotService service = scriptedService();
    const QString offline = QStringLiteral("Le serveur WebDAV « cloud » est injoignable.");
    cloud->fetchFailure = CloudError(cloudcode::networkFailure, offline);
    try {
        await(service.saveSnapshot(snapshotWithNights(1)));
        ADD_FAILURE() << "the fetch failure was swallowed";
    } catch (const CloudError& error) {
        EXPECT_EQ(error.code(), cloudcode::networkFailure);
        EXPECT_EQ(error.localizedDescription(), offline);
    }
    EXPECT_TRUE(cloud->saved.empty()) << "nothing is saved after a failed fetch";
    EXPECT_TRUE(temporaryFilesLeft().empty()) << "after a failed fetch";

    cloud->fetchFailure.reset();
    cloud->saveFailure = CloudError(cloudcode::serverRecordChanged, QStringLiteral("changé"));
    try {
        await(service.saveSnapshot(snapshotWithNights(1)));
        ADD_FAILURE() << "the conflict was swallowed";
    } catch (const CloudError& error) {
        EXPECT_EQ(error.code(), cloudcode::serverRecordChanged);
    }
    EXPECT_EQ(cloud->saved.size(), 1u) << "a conflict is not retried";
    EXPECT_TRUE(temporaryFilesLeft().empty()) << "after a failed save";

    cloud->calls.clear();
    OscarSnapshot unencodable = snapshotWithNights(1);
    unencodable.nights[0].ahi = std::nan("");
    EXPECT_THROW(await(service.saveSnapshot(unencodable)), SnapshotEncodingError);
    EXPECT_TRUE(cloud->calls.empty()) << "nothing else happens after an encoding failure";
    EXPECT_TRUE(temporaryFilesLeft().empty()) << "after an encoding failure";

    // Nothing is written on the way to the store, so a temporary folder that is not there is no
    // failure.
    cloud->saveFailure.reset();
    const testing::ScopedSystemTemporaryFolder missing(temporary / "missing");
    CloudSnapshotService nowhereToWrite(std::make_unique<ScriptedCloudStore>(cloud));
    EXPECT_NO_THROW(await(nowhereToWrite.saveSnapshot(snapshotWithNights(1))));
    EXPECT_EQ(cloud->calls, (std::vector<std::string>{"fetch current-oscar-snapshot",
                                                      "save current-oscar-snapshot"}));
    EXPECT_EQ(cloud->payloadBytes, makeSnapshotEncoder().encode(snapshotWithNights(1)));
}

TEST_F(CloudSnapshotServiceTest, APublicationHandsTheEncodedBytesOverAndSweepsEarlierLeftovers) {
    // Earlier versions went through a payload file here, written through a hidden side file; a
    // process killed meanwhile left either behind. Those of a save that may still be running are
    // younger than ten minutes.
    const auto aged = [this](const std::string& name, std::chrono::minutes age) {
        const fs::path file = temporary / name;
        std::ofstream(file) << "{}";
        fs::last_write_time(file, fs::file_time_type::clock::now() - age);
    };
    using std::chrono::minutes;
    aged("lunexa-0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0.json", minutes(60));
    aged(".lunexa-0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0.json.a1B2c3", minutes(60));
    aged("lunexa-00000000-1111-2222-3333-444444444444.json", minutes(9));
    aged(".lunexa-00000000-1111-2222-3333-444444444444.json.Zz09yY", minutes(9));
    // Not ours, however old: other names that merely look alike.
    aged("lunexa-notes.json", minutes(60));
    aged(".lunexa-snapshot.json.a1B2c3", minutes(60));
    const std::vector<std::string> spared{
        ".lunexa-00000000-1111-2222-3333-444444444444.json.Zz09yY", ".lunexa-snapshot.json.a1B2c3",
        "lunexa-00000000-1111-2222-3333-444444444444.json", "lunexa-notes.json"};

    std::optional<std::vector<std::string>> whileSaving;
    cloud->whileWorking = [&] {
        const std::lock_guard lock(cloud->mutex);
        if (cloud->calls.back().starts_with("save")) {
            whileSaving = temporaryFilesLeft();
        }
    };
    const auto encoded =
        std::make_shared<const EncodedSnapshot>(EncodedSnapshot::of(snapshotWithNights(2)));
    CloudSnapshotService service = scriptedService();
    const PublicationOutcome outcome =
        await(service.publishSnapshot(encoded, PublishedSnapshot{}, {}));

    EXPECT_EQ(outcome.changeTag, QStringLiteral("saved"));
    EXPECT_EQ(cloud->payloadBytes, encoded->json);
    EXPECT_EQ(cloud->payloadData, encoded->json.data())
        << "the store was handed a copy of the payload, not the encoder's bytes";
    ASSERT_TRUE(whileSaving.has_value());
    EXPECT_EQ(*whileSaving, spared) << "the payload went through a file";
    EXPECT_EQ(temporaryFilesLeft(), spared);
}

TEST_F(CloudSnapshotServiceTest, OperationsTakeTurnsOffTheCallersThreadWhichKeepsTurning) {
    // The first operation holds the store until the caller's event loop, still turning, lets it
    // go; a blocked caller would leave it waiting until the time-out.
    QSemaphore entered;
    QSemaphore released;
    std::atomic<bool> timedOut = false;
    std::atomic<bool> first = true;
    cloud->whileWorking = [&] {
        if (first.exchange(false)) {
            entered.release();
            timedOut = !released.tryAcquire(1, 5000);
        }
        QThread::msleep(20);
    };
    CloudSnapshotService service = scriptedService();
    QTimer turning;
    int turns = 0;
    QObject::connect(&turning, &QTimer::timeout, [&] {
        ++turns;
        if (entered.tryAcquire()) {
            released.release();
        }
    });
    turning.start(1);

    auto saving = service.saveSnapshot(snapshotWithNights(1));
    auto deleting = service.deleteSnapshot();
    await(std::move(saving));
    await(std::move(deleting));

    EXPECT_FALSE(timedOut) << "the caller's thread was blocked while the store worked";
    EXPECT_GT(turns, 0);
    EXPECT_EQ(cloud->mostInside, 1) << "two operations overlapped inside the store";
    EXPECT_EQ(cloud->calls, (std::vector<std::string>{"fetch current-oscar-snapshot",
                                                      "save current-oscar-snapshot",
                                                      "delete current-oscar-snapshot"}));
    EXPECT_NE(cloud->workerThread, QThread::currentThreadId());
}

} // namespace
} // namespace velunora
