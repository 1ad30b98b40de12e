#include "support/TestSupport.h"
#include "sync/cloud/CloudTestSupport.h"
#include "sync/cloud/local/LocalCloudStore.h"

#include <QTimeZone>
#include <atomic>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace velunora {
namespace {

namespace fs = std::filesystem;

const QString name = QStringLiteral("current-oscar-snapshot");

// Everything in the root but the lock files: the records and any leftover of a save.
std::vector<std::string> entriesBesideLocks(const fs::path& root) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(root)) {
        if (entry.path().extension() != ".lock") {
            names.push_back(entry.path().filename().string());
        }
    }
    return names;
}

class LocalCloudStoreTest : public ::testing::Test {
protected:
    testing::TemporaryFolder folder;
    fs::path root = folder.path() / "data" / "velunora-sync" / "cloud";
    LocalCloudStore store{root};

    CloudRecord record(const std::string& payload, QString changeTag = {}, qint64 nights = 2) {
        return CloudRecord{QStringLiteral("OscarSnapshot"),
                           name,
                           std::move(changeTag),
                           {{QStringLiteral("generatedAt"),
                             QDateTime(QDate(2024, 5, 2), QTime(6, 30, 15, 250), QTimeZone::utc())},
                            {QStringLiteral("nightCount"), nights},
                            {QStringLiteral("payload"), testing::assetOf(payload)}}};
    }

    std::string storedPayload() {
        return testing::readFile(store.assetFile(name, QStringLiteral("payload")));
    }
};

TEST_F(LocalCloudStoreTest, FirstSaveCreatesTheRecordAndFieldsRoundTrip) {
    EXPECT_EQ(testing::cloudErrorCode([&] { store.fetchRecord(name); }), cloudcode::unknownItem);
    CloudRecord first = record("{\"nights\" : [ ]}\n", {}, 9007199254740993);
    first.fields.emplace(QStringLiteral("profile"), QStringLiteral("Nuit d’été"));
    store.saveRecord(first);

    const CloudRecord fetched = store.fetchRecord(name);
    EXPECT_EQ(fetched.recordType, QStringLiteral("OscarSnapshot"));
    EXPECT_EQ(fetched.recordName, name);
    EXPECT_FALSE(fetched.changeTag.isEmpty());
    EXPECT_EQ(std::get<QDateTime>(fetched.fields.at(QStringLiteral("generatedAt"))),
              QDateTime(QDate(2024, 5, 2), QTime(6, 30, 15, 250), QTimeZone::utc()));
    EXPECT_EQ(std::get<qint64>(fetched.fields.at(QStringLiteral("nightCount"))), 9007199254740993)
        << "beyond 2^53: not through a JSON double";
    EXPECT_EQ(std::get<QString>(fetched.fields.at(QStringLiteral("profile"))),
              QStringLiteral("Nuit d’été"));
    EXPECT_FALSE(fetched.fields.contains(QStringLiteral("payload")));
    EXPECT_EQ(store.assetFile(name, QStringLiteral("payload")),
              root / name.toStdString() / "payload.json");
    EXPECT_EQ(storedPayload(), "{\"nights\" : [ ]}\n");
}

TEST_F(LocalCloudStoreTest, LaterSaveWithTheFetchedTagReplacesTheRecordAndKeepsOtherFields) {
    CloudRecord first = record("first");
    first.fields.emplace(QStringLiteral("note"), QStringLiteral("kept"));
    store.saveRecord(first);
    const CloudRecord fetched = store.fetchRecord(name);

    CloudRecord later = record("second", fetched.changeTag, 0);
    later.fields.erase(QStringLiteral("generatedAt"));
    store.saveRecord(later);

    const CloudRecord replaced = store.fetchRecord(name);
    EXPECT_NE(replaced.changeTag, fetched.changeTag) << "a fresh tag for each save";
    EXPECT_EQ(std::get<qint64>(replaced.fields.at(QStringLiteral("nightCount"))), 0);
    EXPECT_EQ(std::get<QString>(replaced.fields.at(QStringLiteral("note"))),
              QStringLiteral("kept"));
    EXPECT_TRUE(replaced.fields.contains(QStringLiteral("generatedAt")));
    EXPECT_EQ(storedPayload(), "second");

    // A save that carries no asset keeps the stored file.
    CloudRecord fieldsOnly = replaced;
    fieldsOnly.fields.insert_or_assign(QStringLiteral("nightCount"), qint64{5});
    store.saveRecord(fieldsOnly);
    EXPECT_EQ(storedPayload(), "second");
}

TEST_F(LocalCloudStoreTest, ASaveFromAStaleFetchIsAConflict) {
    store.saveRecord(record("first"));
    const CloudRecord ours = store.fetchRecord(name);
    // Another process, on the same folder, saves between our fetch and our save.
    LocalCloudStore other(root);
    other.saveRecord(record("theirs", other.fetchRecord(name).changeTag));

    EXPECT_EQ(testing::cloudErrorCode([&] { store.saveRecord(record("ours", ours.changeTag)); }),
              cloudcode::serverRecordChanged);
    EXPECT_EQ(storedPayload(), "theirs");
    EXPECT_EQ(testing::cloudErrorCode([&] { store.saveRecord(record("blind")); }),
              cloudcode::serverRecordChanged)
        << "an empty tag where a record exists";
    store.deleteRecord(name);
    EXPECT_EQ(testing::cloudErrorCode([&] { store.saveRecord(record("late", ours.changeTag)); }),
              cloudcode::serverRecordChanged)
        << "a tag for a record that was deleted meanwhile";
}

TEST_F(LocalCloudStoreTest, ConcurrentFirstSavesLetExactlyOneWin) {
    std::vector<CloudRecord> records;
    for (int index = 0; index < 3; ++index) {
        records.push_back(record("writer " + std::to_string(index)));
    }
    std::atomic<int> saved = 0;
    std::atomic<int> conflicts = 0;
    std::vector<std::thread> writers;
    for (const CloudRecord& each : records) {
        writers.emplace_back([&, each] {
            LocalCloudStore own(root);
            const int code = testing::cloudErrorCode([&] { own.saveRecord(each); });
            if (code == 0) {
                ++saved;
            } else if (code == cloudcode::serverRecordChanged) {
                ++conflicts;
            }
        });
    }
    for (std::thread& writer : writers) {
        writer.join();
    }
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(conflicts, 2);
    EXPECT_EQ(entriesBesideLocks(root), std::vector<std::string>{name.toStdString()});
}

TEST_F(LocalCloudStoreTest, DeleteRemovesTheRecordAndAMissingOneIsUnknown) {
    EXPECT_EQ(testing::cloudErrorCode([&] { store.deleteRecord(name); }), cloudcode::unknownItem)
        << "not even the root exists";
    store.saveRecord(record("bytes"));
    store.deleteRecord(name);
    EXPECT_EQ(testing::cloudErrorCode([&] { store.fetchRecord(name); }), cloudcode::unknownItem);
    EXPECT_EQ(testing::cloudErrorCode([&] { store.deleteRecord(name); }), cloudcode::unknownItem);
    EXPECT_TRUE(entriesBesideLocks(root).empty());
}

TEST_F(LocalCloudStoreTest, AFailedSaveLeavesThePreviousRecordWhole) {
    CloudRecord published = record("published");
    published.fields.emplace(QStringLiteral("thumbnail"), testing::assetOf("picture"));
    store.saveRecord(published);
    const CloudRecord before = store.fetchRecord(name);
    // Left by a process that stopped in the middle of a save.
    fs::create_directories(root / ".current-oscar-snapshot.interrupted.partial");

    // The kept asset's file is gone (something else touched the folder): it cannot be carried
    // into the new record, so nothing is saved, after the new payload was written already.
    const fs::path thumbnail = store.assetFile(name, QStringLiteral("thumbnail"));
    fs::rename(thumbnail, folder.path() / "thumbnail.json");
    EXPECT_EQ(testing::cloudErrorCode([&] { store.saveRecord(record("never", before.changeTag)); }),
              cloudcode::internalError);
    fs::rename(folder.path() / "thumbnail.json", thumbnail);

    const CloudRecord after = store.fetchRecord(name);
    EXPECT_EQ(after.changeTag, before.changeTag);
    EXPECT_EQ(std::get<qint64>(after.fields.at(QStringLiteral("nightCount"))), 2);
    EXPECT_EQ(storedPayload(), "published");
    EXPECT_EQ(entriesBesideLocks(root), std::vector<std::string>{name.toStdString()})
        << "no half-written folder stays behind";
}

TEST_F(LocalCloudStoreTest, FoldersAndFilesAreTheOwnersOnlyWhateverTheUmask) {
    const mode_t previous = ::umask(0);
    store.saveRecord(record("health data"));
    ::umask(previous);
    for (const fs::path& created :
         {folder.path() / "data", folder.path() / "data" / "velunora-sync", root,
          root / name.toStdString()}) {
        EXPECT_EQ(testing::fileMode(created), 0700u) << created;
    }
    EXPECT_EQ(testing::fileMode(root / name.toStdString() / "record.json"), 0600u);
    EXPECT_EQ(testing::fileMode(root / name.toStdString() / "payload.json"), 0600u);
}

TEST_F(LocalCloudStoreTest, FileSystemFailuresNameTheFolder) {
    const fs::path blocked = folder.write("not-a-folder", "x") / "cloud";
    LocalCloudStore unusable(blocked);
    try {
        unusable.saveRecord(record("x"));
        ADD_FAILURE() << "saved under a file";
    } catch (const CloudError& error) {
        EXPECT_EQ(error.code(), cloudcode::internalError);
        EXPECT_TRUE(error.localizedDescription().contains(QString::fromStdString(blocked)))
            << error.what();
    }
    for (const QString& unsafe :
         {QStringLiteral("../escape"), QStringLiteral(".hidden"), QString()}) {
        EXPECT_EQ(testing::cloudErrorCode([&] { store.fetchRecord(unsafe); }),
                  cloudcode::internalError)
            << unsafe.toStdString();
    }
}

} // namespace
} // namespace velunora
