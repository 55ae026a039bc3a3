#include "idl/call_helpers.h"

namespace {

std::string boundedLine(std::string_view prefix, std::string_view operation) {
    std::string line(prefix);
    line.append(operation.substr(0, kMaxOperationName));
    return line;
}

CallFailure::Completion completionOf(CORBA::CompletionStatus status) {
    switch (status) {
        case CORBA::COMPLETED_YES:
            return CallFailure::Completion::Yes;
        case CORBA::COMPLETED_NO:
            return CallFailure::Completion::No;
        default:
            return CallFailure::Completion::Maybe;
    }
}

std::string nameOrEmpty(const char* text) {
    return text != nullptr ? text : "";
}

}  // namespace

std::string corbaExceptionLine(std::string_view operation) {
    return boundedLine("CORBA Exception in ", operation);
}

std::string unknownExceptionLine(std::string_view operation) {
    return boundedLine("Unknown exception in ", operation);
}

namespace call_detail {

CallFailure systemFailure(const char* operation, const CORBA::SystemException& ex) {
    return CallFailure{CallFailure::Kind::System, nameOrEmpty(operation), nameOrEmpty(ex._name()),
                       ex.minor(), completionOf(ex.completed())};
}

CallFailure userFailure(const char* operation, const CORBA::Exception& ex) {
    return CallFailure{CallFailure::Kind::User, nameOrEmpty(operation), nameOrEmpty(ex._name()), 0,
                       CallFailure::Completion::Yes};
}

CallFailure unknownFailure(const char* operation, const char* what) {
    return CallFailure{CallFailure::Kind::Unknown, nameOrEmpty(operation), nameOrEmpty(what), 0,
                       CallFailure::Completion::Maybe};
}

}  // namespace call_detail
