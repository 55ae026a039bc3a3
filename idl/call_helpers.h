#pragma once

// One wrapper per call direction. Every remote call of both programs goes
// through one of them, so no CORBA or other exception escapes into a thread
// function or a GUI slot.
//
// callClient: the server calling the client back. A failure is logged through
// the server's sink with the IDL operation's name, and the caller switches its
// notifier off.
//
// callServer: the client calling RadioComm. The result, or a description of
// the failure for the front panel to act on.
//
// Both are thread-safe as far as the call and the sink are.

#include <omniORB4/CORBA.h>

#include <exception>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

// Where callClient reports a failed call: the server's log. A CORBA system
// exception goes to LogCorbaException, anything else to LogUnknownException.
// Implementations must not throw.
class CallFailureSink {
  public:
    virtual ~CallFailureSink() = default;
    virtual void LogCorbaException(const char* operation) = 0;
    virtual void LogUnknownException(const char* operation) = 0;
};

// The log lines the sink writes: "CORBA Exception in %s", "Unknown exception
// in %s". The operation name is cut to kMaxOperationName characters so the
// line fits the server's fixed log record.
constexpr std::size_t kMaxOperationName = 64;
std::string corbaExceptionLine(std::string_view operation);
std::string unknownExceptionLine(std::string_view operation);

template <class Call>
bool callClient(const char* operation, Call&& call, CallFailureSink& sink) noexcept {
    bool systemException = false;
    try {
        std::forward<Call>(call)();
        return true;
    } catch (const CORBA::SystemException&) {
        systemException = true;
    } catch (...) {
        // User exceptions (a NotFound from the naming service) and
        // non-CORBA exceptions alike.
    }
    try {
        if (systemException) {
            sink.LogCorbaException(operation);
        } else {
            sink.LogUnknownException(operation);
        }
    } catch (...) {
    }
    return false;
}

struct CallFailure {
    enum class Kind { System, User, Unknown };
    enum class Completion { Yes, No, Maybe };

    Kind kind = Kind::Unknown;
    std::string operation;  // IDL operation name the caller gave
    std::string name;       // exception name ("TRANSIENT", "NotFound", ...)
    unsigned long minor = 0;
    Completion completion = Completion::Maybe;
};

// The outcome of callServer: the call's value, or the failure.
template <class T>
class CallResult {
  public:
    explicit CallResult(T value) : m_outcome(std::in_place_index<0>, std::move(value)) {}
    explicit CallResult(CallFailure failure)
        : m_outcome(std::in_place_index<1>, std::move(failure)) {}

    bool ok() const { return m_outcome.index() == 0; }
    explicit operator bool() const { return ok(); }
    const T& value() const { return std::get<0>(m_outcome); }
    T& value() { return std::get<0>(m_outcome); }
    const CallFailure& failure() const { return std::get<1>(m_outcome); }

  private:
    std::variant<T, CallFailure> m_outcome;
};

namespace call_detail {

CallFailure systemFailure(const char* operation, const CORBA::SystemException& ex);
CallFailure userFailure(const char* operation, const CORBA::Exception& ex);
CallFailure unknownFailure(const char* operation, const char* what);

template <class Call>
using ValueOf = std::conditional_t<std::is_void_v<std::invoke_result_t<Call>>, std::monostate,
                                   std::decay_t<std::invoke_result_t<Call>>>;

}  // namespace call_detail

// Runs `call` and returns its value (std::monostate for a void call) or the
// failure: system (with minor and completion), user, or unknown.
template <class Call>
auto callServer(const char* operation, Call&& call) noexcept
    -> CallResult<call_detail::ValueOf<Call>> {
    using Value = call_detail::ValueOf<Call>;
    using Result = CallResult<Value>;
    try {
        if constexpr (std::is_void_v<std::invoke_result_t<Call>>) {
            std::forward<Call>(call)();
            return Result(Value{});
        } else {
            return Result(std::forward<Call>(call)());
        }
    } catch (const CORBA::SystemException& ex) {
        return Result(call_detail::systemFailure(operation, ex));
    } catch (const CORBA::Exception& ex) {
        return Result(call_detail::userFailure(operation, ex));
    } catch (const std::exception& ex) {
        return Result(call_detail::unknownFailure(operation, ex.what()));
    } catch (...) {
        return Result(call_detail::unknownFailure(operation, "unknown exception"));
    }
}
