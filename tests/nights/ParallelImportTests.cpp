// Reading a card on several threads must give the snapshot of one thread's reading, bit for bit.
#include "nights/OrderedPreparation.h"
#include "nights/SessionImport.h"
#include "records/SnapshotJSON.h"
#include "support/TestSupport.h"
#include "tools/CardGenerator.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

namespace velunora {
namespace {

using namespace std::chrono_literals;

TEST(OrderedPreparation, HandsResultsOverInIndexOrderWithinTheWindow) {
    constexpr std::size_t count = 40;
    constexpr std::size_t window = 6;
    std::atomic<int> outstanding{0};
    std::atomic<int> mostOutstanding{0};
    std::atomic<int> finishedOutOfOrder{0};
    std::atomic<std::size_t> lastFinished{0};
    OrderedPreparation<std::size_t> preparation(count, 3, window, [&](std::size_t index) {
        // Every third item is slow, so the ones after it finish first.
        std::this_thread::sleep_for(index % 3 == 0 ? 3ms : 0ms);
        if (index == 25) {
            throw std::runtime_error("item 25");
        }
        if (index < lastFinished.exchange(index)) {
            ++finishedOutOfOrder;
        }
        const int now = ++outstanding;
        int most = mostOutstanding;
        while (now > most && !mostOutstanding.compare_exchange_weak(most, now)) {
        }
        return index * 7;
    });
    for (std::size_t index = 0; index < count; ++index) {
        if (index == 25) {
            EXPECT_THROW(preparation.take(index), std::runtime_error);
            continue;
        }
        EXPECT_EQ(preparation.take(index), index * 7);
        --outstanding;
        std::this_thread::sleep_for(index % 5 == 0 ? 1ms : 0ms);
    }
    EXPECT_GT(finishedOutOfOrder, 0) << "the threads never overtook one another";
    // The window, and the item just taken that the caller has not yet let go of.
    EXPECT_LE(mostOutstanding, static_cast<int>(window) + 1);
}

TEST(OrderedPreparation, PrepareAllVisitsEveryIndexOnceAndPassesTheFirstErrorOn) {
    std::vector<std::atomic<int>> visits(1000);
    prepareAll(visits.size(), 3, 7, [&](std::size_t index) { ++visits[index]; });
    for (std::size_t index = 0; index < visits.size(); ++index) {
        ASSERT_EQ(visits[index], 1) << index;
    }
    // Item 10 fails long after item 500 has: the error of the lower index is the one reported
    // (a card pulled out names the first file it took), and nothing after it is started.
    std::atomic<std::size_t> latestStarted{0};
    try {
        prepareAll(100000, 3, 8, [&](std::size_t index) {
            std::size_t latest = latestStarted;
            while (index > latest && !latestStarted.compare_exchange_weak(latest, index)) {
            }
            if (index == 10) {
                std::this_thread::sleep_for(50ms);
                throw std::runtime_error("item 10");
            }
            if (index == 500) {
                throw std::runtime_error("item 500");
            }
            // Items after the failing one take a little time, so that a thread the machine holds
            // up before item 500 does not let the others run through the whole list meanwhile.
            if (index > 500) {
                std::this_thread::sleep_for(20us);
            }
        });
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "item 10");
    }
    EXPECT_LT(latestStarted, 50000u) << "the threads went on after the failure";
}

TEST(OrderedPreparation, TheThreadsTakeUpNothingAfterAFailedItem) {
    // The caller is held up on item 0 while the threads run ahead; item 5 fails at once. Reading
    // on would only keep a failing card busy: the threads stop there.
    std::atomic<int> prepared{0};
    {
        OrderedPreparation<int> preparation(200, 3, 100, [&](std::size_t index) {
            ++prepared;
            std::this_thread::sleep_for(index == 0 ? 300ms : 3ms);
            if (index == 5) {
                throw std::runtime_error("item 5");
            }
            return static_cast<int>(index);
        });
        for (std::size_t index = 0; index < 5; ++index) {
            EXPECT_EQ(preparation.take(index), static_cast<int>(index));
        }
        EXPECT_THROW(preparation.take(5), std::runtime_error);
    }
    EXPECT_LT(prepared, 40) << "the threads read on after the failure";
}

TEST(ParallelImport, GivesTheSnapshotOfOneThreadReadingInOrder) {
    const testing::ScopedTimeZone zone("Europe/Paris");
    const testing::TemporaryFolder folder;
    cardgen::CardGeneratorOptions options;
    options.nights = 4; // the oldest without detail, the newest with full-rate series
    options.seed = 7;
    options.firstNight = cardgen::LocalDay{2024, 3, 29}; // across the change to summer time
    cardgen::generateCard(folder.path(), options);
    const DetectedPAPCard card{folder.path(), "ResMed", "AirSense 10 AutoSet", "23190000000"};

    const auto importWith = [&](std::size_t threads, std::vector<double>& shares) {
        const auto caller = std::this_thread::get_id();
        return importResMedCard(
            card, Date{1700000000},
            [&](double share) {
                EXPECT_EQ(std::this_thread::get_id(), caller) << "progress from a reading thread";
                shares.push_back(share);
            },
            threads);
    };
    std::vector<double> sequentialShares;
    const OscarSnapshot sequential = importWith(0, sequentialShares);
    ASSERT_EQ(sequential.nights.size(), 4u);
    EXPECT_TRUE(sequential.nights.front().channels.empty());
    EXPECT_FALSE(sequential.nights.back().channels.empty());
    EXPECT_FALSE(sequential.nights.back().events.empty());
    EXPECT_TRUE(sequential.nights.front().pressure95th.has_value());

    const auto encoder = makeSnapshotEncoder();
    for (const std::size_t threads : {1u, 3u}) {
        std::vector<double> shares;
        const OscarSnapshot parallel = importWith(threads, shares);
        EXPECT_EQ(parallel.nights, sequential.nights) << threads << " threads";
        EXPECT_EQ(encoder.encode(parallel), encoder.encode(sequential)) << threads << " threads";
        EXPECT_EQ(shares, sequentialShares) << threads << " threads";
    }
    ASSERT_GT(sequentialShares.size(), 2u);
    EXPECT_TRUE(std::is_sorted(sequentialShares.begin(), sequentialShares.end()));
    EXPECT_EQ(sequentialShares.front(), 0.1);
    EXPECT_DOUBLE_EQ(sequentialShares.back(), 1.0);
}

} // namespace
} // namespace velunora
