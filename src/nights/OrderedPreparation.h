#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

// The reading threads of one import. They live inside the call that makes them; nothing here is
// shared between imports.
namespace velunora {

namespace detail {

// Starts up to `count` threads running `body`; fewer when the system refuses more, in which case
// the caller's own thread does the rest.
inline std::vector<std::thread> startThreads(std::size_t count, const std::function<void()>& body) {
    std::vector<std::thread> threads;
    try {
        threads.reserve(count);
        for (std::size_t t = 0; t < count; ++t) {
            threads.emplace_back(body);
        }
    } catch (const std::system_error&) {
    }
    return threads;
}

} // namespace detail

// Calls `prepare` for every index 0 … count − 1, on the calling thread and `helpers` more, and
// returns when all are done. The indices are handed out `batch` at a time, so that cheap items
// do not cost a synchronisation each. Once an item has thrown, no item after it is started, and
// what the lowest index threw is rethrown once all have stopped: every batch before a failing
// one has been handed out and is seen through, so that error does not depend on the threads'
// timing.
inline void prepareAll(std::size_t count, std::size_t helpers, std::size_t batch,
                       const std::function<void(std::size_t)>& prepare) {
    batch = std::max<std::size_t>(batch, 1);
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> firstFailure{count}; // the lowest index that threw
    std::mutex errorMutex;
    std::exception_ptr error;
    const std::function<void()> work = [&] {
        for (;;) {
            const std::size_t first = next.fetch_add(batch, std::memory_order_relaxed);
            const std::size_t end = std::min(first + batch, count);
            for (std::size_t index = first; index < end; ++index) {
                if (index > firstFailure.load(std::memory_order_relaxed)) {
                    return;
                }
                try {
                    prepare(index);
                } catch (...) {
                    const std::lock_guard lock(errorMutex);
                    if (index < firstFailure.load(std::memory_order_relaxed)) {
                        error = std::current_exception();
                        firstFailure = index;
                    }
                    return;
                }
            }
            if (end >= count) {
                return;
            }
        }
    };
    std::vector<std::thread> threads = detail::startThreads(std::min(helpers, count / batch), work);
    work();
    for (std::thread& thread : threads) {
        thread.join();
    }
    if (error) {
        std::rethrow_exception(error);
    }
}

// Prepares the items 0 … count − 1 on a few threads of its own while the caller takes the
// results one by one in index order, so that whatever the caller does with them happens in the
// order of a plain loop. At most `window` results are prepared ahead of the one taken next,
// which bounds the memory they hold. When the item the caller wants has not been taken up by a
// thread, the caller prepares it itself rather than wait; with no threads, it prepares them all.
// What `prepare` throws is rethrown by the `take` of its item. An item that throws ends the run
// for the threads: the items before it are seen through, but they take up none after it (the
// caller still may, one by one), so a failure that ends the caller's loop does not leave them
// reading on. The threads end with the object.
template <typename Result> class OrderedPreparation {
public:
    OrderedPreparation(std::size_t count, std::size_t threads, std::size_t window,
                       std::function<Result(std::size_t)> prepare)
        : count_(count)
        , window_(std::max<std::size_t>(window, 2))
        , prepare_(std::move(prepare))
        , slots_(window_) {
        threads_ = detail::startThreads(std::min(threads, count), [this] { work(); });
    }

    ~OrderedPreparation() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        roomMade_.notify_all();
        for (std::thread& thread : threads_) {
            thread.join();
        }
    }

    OrderedPreparation(const OrderedPreparation&) = delete;
    OrderedPreparation& operator=(const OrderedPreparation&) = delete;

    // The result of item `index`; the items must be taken in order, each once.
    Result take(std::size_t index) {
        if (threads_.empty()) {
            return prepare_(index);
        }
        std::unique_lock lock(mutex_);
        if (index >= next_) {
            // No thread has it yet: preparing it here beats waiting for one to.
            next_ = index + 1;
            lock.unlock();
            Result result = prepare_(index);
            lock.lock();
            finishTake(lock);
            return result;
        }
        Slot& ready = slots_[index % window_];
        // While a thread works on it, the caller prepares the items after it rather than sleep.
        while (!ready.done && !failed_ && next_ < count_ && next_ < taken_ + window_) {
            prepareOne(lock, next_++);
        }
        resultReady_.wait(lock, [&] { return ready.done; });
        Slot slot = std::move(ready);
        ready = Slot{};
        finishTake(lock);
        if (slot.error) {
            std::rethrow_exception(slot.error);
        }
        return std::move(*slot.result);
    }

private:
    struct Slot {
        bool done = false;
        std::optional<Result> result;
        std::exception_ptr error;
    };

    // A thread that found the window full sleeps until half of it is free again, rather than
    // being woken for every item taken.
    void finishTake(std::unique_lock<std::mutex>& lock) {
        ++taken_;
        const bool halfFree = next_ < count_ && 2 * (taken_ + window_ - next_) >= window_;
        lock.unlock();
        if (halfFree) {
            roomMade_.notify_one();
        }
    }

    void work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            roomMade_.wait(lock, [&] {
                return stopping_ || failed_ || next_ >= count_ || next_ < taken_ + window_;
            });
            if (stopping_ || failed_ || next_ >= count_) {
                return;
            }
            const std::size_t index = next_++;
            prepareOne(lock, index);
            if (index == taken_) {
                resultReady_.notify_one();
            }
        }
    }

    // Prepares a claimed item without the lock and puts it into its slot.
    void prepareOne(std::unique_lock<std::mutex>& lock, std::size_t index) {
        lock.unlock();
        Slot slot;
        try {
            slot.result.emplace(prepare_(index));
        } catch (...) {
            slot.error = std::current_exception();
        }
        slot.done = true;
        lock.lock();
        if (slot.error && !failed_) {
            failed_ = true;
            // Threads asleep on a full window have nothing more to do.
            roomMade_.notify_all();
        }
        slots_[index % window_] = std::move(slot);
    }

    const std::size_t count_;
    const std::size_t window_;
    const std::function<Result(std::size_t)> prepare_;

    std::mutex mutex_;
    std::condition_variable resultReady_;
    std::condition_variable roomMade_;
    std::vector<Slot> slots_; // item i in slot i % window
    std::size_t next_ = 0;    // the first item nobody has taken up
    std::size_t taken_ = 0;   // how many results the caller has taken
    bool stopping_ = false;
    bool failed_ = false; // an item has thrown
    std::vector<std::thread> threads_;
};

} // namespace velunora
