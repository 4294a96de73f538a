// The helper threads: made on first use, woken for each parallel search, stopped by
// the main search when it ends or by anything that is about to change the shared
// tables.
#include "engine/threads.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// The deepest depth the main search of the running parallel search has completed.
std::atomic<int> mainDepth{0};

// Root tasks in one word, so that they are read and written whole.
std::uint64_t packed(RootTask t)
{
    return static_cast<std::uint64_t>(t.depth) << 32 | static_cast<std::uint64_t>(static_cast<std::uint16_t>(t.low)) << 16 |
           static_cast<std::uint16_t>(t.high);
}
RootTask unpacked(std::uint64_t w)
{
    return {static_cast<int>(w >> 32), static_cast<std::int16_t>(w >> 16), static_cast<std::int16_t>(w)};
}
const RootTask firstTask{firstIterationDepth, -infiniteScore, infiniteScore};
std::atomic<std::uint64_t> mainTask{packed(firstTask)};

class HelperPool {
public:
    ~HelperPool()
    {
        stop();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            quitting_ = true;
        }
        wake_.notify_all();
        for (auto& helper : helpers_) helper->thread.join();
    }

    bool start(const Searcher& main, int count)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (active_ > 0) return false;
            while (static_cast<int>(helpers_.size()) < count) addHelper();
            // Written while the helpers wait: they read it only after taking the lock.
            for (int i = 0; i < count; ++i) {
                Searcher& s = *helpers_[static_cast<std::size_t>(i)]->searcher;
                s.copyRootFrom(main);
                s.helper = true;
                s.helperIndex = i;
                s.threads = 1;
                s.searchReporter = nullptr;
                s.shared = true;
                s.helperTask.store(packed(firstTask));
                s.dismissed.store(false);
                s.stopRequested.store(false);
            }
            mainDepth.store(0, std::memory_order_relaxed);
            mainTask.store(packed(firstTask));
            active_ = count;
            running_ = count;
            ++generation_;
        }
        wake_.notify_all();
        return true;
    }

    void stop()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (active_ == 0) return;
        for (int i = 0; i < active_; ++i) {
            Searcher& s = *helpers_[static_cast<std::size_t>(i)]->searcher;
            s.dismissed.store(true); // first: a helper that resumes after being overtaken sees it
            s.stopRequested.store(true);
        }
        idle_.wait(lock, [this] { return running_ == 0; });
        active_ = 0;
    }

    // Stops the helpers that the main search's task leaves behind. Only the main
    // search's thread calls it, the one that changes the helpers' list.
    void stopLeftBehind(RootTask main)
    {
        for (int i = 0; i < active_; ++i) {
            Searcher& s = *helpers_[static_cast<std::size_t>(i)]->searcher;
            if (helperBehind(unpacked(s.helperTask.load()), main)) s.stopRequested.store(true);
        }
    }

    // The sum of a published count over the running search's helpers.
    template <typename Count>
    Count sum(std::atomic<Count> Searcher::*count)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Count total = 0;
        for (int i = 0; i < active_; ++i)
            total += (helpers_[static_cast<std::size_t>(i)]->searcher.get()->*count).load(std::memory_order_relaxed);
        return total;
    }

private:
    struct Helper {
        std::unique_ptr<Searcher> searcher;
        std::thread thread;
    };

    // Under the lock.
    void addHelper()
    {
        const int index = static_cast<int>(helpers_.size());
        auto helper = std::make_unique<Helper>();
        helper->searcher = std::make_unique<Searcher>();
        helper->thread = std::thread([this, index] { run(index); });
        helpers_.push_back(std::move(helper));
    }

    void run(int index)
    {
        std::uint64_t seen = 0;
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return quitting_ || (generation_ != seen && index < active_); });
            if (quitting_) return;
            seen = generation_;
            Searcher& searcher = *helpers_[static_cast<std::size_t>(index)]->searcher;
            lock.unlock();
            searcher.helperDepthLoop();
            lock.lock();
            if (--running_ == 0) idle_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_, idle_;
    std::vector<std::unique_ptr<Helper>> helpers_;
    std::uint64_t generation_ = 0;
    int active_ = 0;  // helpers of the running search, until it stops them
    int running_ = 0; // helpers still searching
    bool quitting_ = false;
};

HelperPool& pool()
{
    static HelperPool instance;
    return instance;
}

} // namespace

bool startHelperThreads(const Searcher& main, int helpers) { return helpers > 0 && pool().start(main, helpers); }

void stopHelperThreads() { pool().stop(); }

std::int64_t helperMovesMade() { return pool().sum(&Searcher::publishedMoves); }

std::uint32_t helperProbes() { return pool().sum(&Searcher::publishedProbes); }

void mainDepthCompleted(int depth) { mainDepth.store(depth, std::memory_order_relaxed); }

int mainCompletedDepth() { return mainDepth.load(std::memory_order_relaxed); }

void mainRootSearchStarts(int depth, int low, int high)
{
    const RootTask task{depth, low, high};
    mainTask.store(packed(task));
    pool().stopLeftBehind(task);
}

RootTask mainRootTask() { return unpacked(mainTask.load()); }

void publishHelperTask(Searcher& helper, RootTask task) { helper.helperTask.store(packed(task)); }

bool helperBehind(RootTask task, RootTask main)
{
    return task.depth < main.depth || (task.depth == main.depth && !(task == main));
}
