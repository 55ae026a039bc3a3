#pragma once

// RadioTask<Msg>: the run loop shared by the three radio tasks.
//
// One ACE thread takes value messages (Msg, usually a std::variant) from the
// task's queue. Queued messages are handled back to back; when the queue stays
// empty until the next deadline, OnTick() runs once and the deadline moves on
// by one interval from the last deadline (not from "now"), so the period does
// not drift with the work done. A tick that ran late does not make the next
// ones fire back to back: a deadline that has already passed restarts from now.
//
// Post() may be called from any thread. Stop() queues the end behind what is
// already queued and joins the thread; derived classes call it from their
// destructor, before their own members go away.

#include <ace/Message_Block.h>
#include <ace/Monotonic_Time_Policy.h>
#include <ace/Task_T.h>
#include <ace/Time_Value_T.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <optional>
#include <utility>

template <typename Msg>
class RadioTask : public ACE_Task<ACE_MT_SYNCH, ACE_Monotonic_Time_Policy> {
  public:
    explicit RadioTask(std::chrono::milliseconds interval) : m_intervalMs(interval.count()) {}
    ~RadioTask() override { Stop(); }

    RadioTask(const RadioTask&) = delete;
    RadioTask& operator=(const RadioTask&) = delete;

    // Starts the thread; false when it could not be created.
    bool Start() {
        std::lock_guard lock(m_lifeLock);
        if (m_running)
            return true;
        if (activate(THR_NEW_LWP | THR_JOINABLE, 1) != 0)
            return false;
        m_running = true;
        return true;
    }

    // Queues a message; false when the task has been stopped.
    bool Post(Msg msg) {
        auto* block = new Block(std::move(msg));
        ACE_Time_Value_T<ACE_Monotonic_Time_Policy> now = gettimeofday();
        if (putq(block, &now) == -1) {
            block->release();
            return false;
        }
        return true;
    }

    // Ends the thread after the messages queued so far and waits for it.
    void Stop() {
        std::lock_guard lock(m_lifeLock);
        if (!m_running)
            return;
        auto* quit = new Block(std::nullopt);
        if (putq(quit) == -1) {
            quit->release();
            msg_queue()->deactivate();
        }
        wait();
        m_running = false;
        msg_queue()->flush();
    }

    bool IsRunning() const {
        std::lock_guard lock(m_lifeLock);
        return m_running;
    }

  protected:
    virtual void OnMessage(Msg& msg) = 0;
    virtual void OnTick() = 0;

    // A new interval applies from the next deadline on.
    void SetInterval(std::chrono::milliseconds interval) { m_intervalMs = interval.count(); }
    std::chrono::milliseconds Interval() const { return std::chrono::milliseconds(m_intervalMs); }
    // The next tick comes one whole interval from now (called from OnMessage).
    void RestartInterval() { m_restart = true; }

  private:
    struct Block : ACE_Message_Block {
        explicit Block(std::optional<Msg> m) : message(std::move(m)) {}
        std::optional<Msg> message;  // empty: the end of the thread
    };

    int svc() override {
        ACE_Time_Value_T<ACE_Monotonic_Time_Policy> deadline = gettimeofday();
        deadline += ACE_Time_Value(Interval());
        for (;;) {
            ACE_Message_Block* raw = nullptr;
            ACE_Time_Value_T<ACE_Monotonic_Time_Policy> until = deadline;
            if (getq(raw, &until) >= 0) {
                auto* block = static_cast<Block*>(raw);
                if (!block->message) {
                    block->release();
                    return 0;
                }
                OnMessage(*block->message);
                block->release();
                if (m_restart) {
                    m_restart = false;
                    deadline = gettimeofday();
                    deadline += ACE_Time_Value(Interval());
                }
                continue;
            }
            if (errno != EWOULDBLOCK && errno != ETIME)
                return 0;  // the queue was shut down
            OnTick();
            deadline += ACE_Time_Value(Interval());
            ACE_Time_Value_T<ACE_Monotonic_Time_Policy> now = gettimeofday();
            if (deadline < now) {
                deadline = now;
                deadline += ACE_Time_Value(Interval());
            }
        }
    }

    std::atomic<long long> m_intervalMs;
    bool m_restart = false;  // touched on the task's thread only
    mutable std::mutex m_lifeLock;
    bool m_running = false;
};
