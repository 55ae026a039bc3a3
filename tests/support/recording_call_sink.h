#pragma once

// A CallFailureSink that keeps each line the call helpers log, in order
// ("CORBA Exception in NotifyCmd"). An ORB thread may log while the test
// reads.

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "idl/call_helpers.h"

class RecordingCallSink final : public CallFailureSink {
  public:
    void LogCorbaException(const char* operation) override { add(corbaExceptionLine(operation)); }
    void LogUnknownException(const char* operation) override {
        add(unknownExceptionLine(operation));
    }
    std::vector<std::string> lines() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lines;
    }

  private:
    void add(std::string line) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.push_back(std::move(line));
    }
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
};
