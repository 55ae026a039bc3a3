#include "server/bounded_step.h"

#include <condition_variable>
#include <mutex>
#include <thread>

std::string missedBoundLine(const std::string& name, std::chrono::milliseconds bound) {
    return "Brakton: " + name + " did not stop within " + std::to_string(bound.count()) + " ms";
}

bool runBounded(const std::string& name, std::chrono::milliseconds bound,
                const std::function<void()>& step, std::ostream& err) {
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
    bool missed = false;
    std::thread watcher([&] {
        std::unique_lock lock(mutex);
        if (!changed.wait_for(lock, bound, [&] { return done; })) {
            missed = true;
            err << missedBoundLine(name, bound) << std::endl;
        }
    });
    try {
        step();
    } catch (...) {
        {
            std::lock_guard lock(mutex);
            done = true;
        }
        changed.notify_all();
        watcher.join();
        throw;
    }
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    changed.notify_all();
    watcher.join();
    return !missed;
}
