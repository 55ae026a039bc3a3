#include "idl/naming.h"

namespace {

CosNaming::Name oneComponentName(const char* name) {
    CosNaming::Name result;
    result.length(1);
    result[0].id = CORBA::string_dup(name);
    result[0].kind = CORBA::string_dup("");
    return result;
}

// Runs a naming operation, and once more when it fails on the connection.
// After the naming host restarts, the ORB's idle connection to the old one
// fails the next call with COMM_FAILURE (completed MAYBE, which the ORB does
// not retry) and then is closed, so a second try opens a new one. Every
// operation here is idempotent, so a MAYBE completion is safe to repeat.
template <class Operation>
auto withOneRetry(Operation&& operation) -> decltype(operation()) {
    try {
        return operation();
    } catch (const CORBA::COMM_FAILURE&) {
    } catch (const CORBA::TRANSIENT&) {
    }
    return operation();
}

}  // namespace

CosNaming::NamingContext_var rootNamingContext(CORBA::ORB_ptr orb) {
    CosNaming::NamingContext_var context = withOneRetry([&] {
        CORBA::Object_var object = orb->resolve_initial_references("NameService");
        // Narrowing asks the naming host (_is_a), so the time-out goes on first.
        omniORB::setClientCallTimeout(object.in(), kNamingCallTimeoutMs);
        return CosNaming::NamingContext::_narrow(object.in());
    });
    if (CORBA::is_nil(context.in())) {
        throw CORBA::INV_OBJREF(0, CORBA::COMPLETED_NO);
    }
    omniORB::setClientCallTimeout(context.in(), kNamingCallTimeoutMs);
    return context;
}

void rebindName(CORBA::ORB_ptr orb, const char* name, CORBA::Object_ptr ref) {
    CosNaming::NamingContext_var context = rootNamingContext(orb);
    const CosNaming::Name bound = oneComponentName(name);
    withOneRetry([&] { context->rebind(bound, ref); });
}

CORBA::Object_var resolveName(CORBA::ORB_ptr orb, const char* name) {
    CosNaming::NamingContext_var context = rootNamingContext(orb);
    const CosNaming::Name wanted = oneComponentName(name);
    return withOneRetry([&] { return context->resolve(wanted); });
}

RadioComm_var resolveRadioComm(CORBA::ORB_ptr orb) {
    CORBA::Object_var object = resolveName(orb, "RadioComm");
    if (CORBA::is_nil(object.in())) {
        return RadioComm::_nil();
    }
    omniORB::setClientCallTimeout(object.in(), kRadioCommCallTimeoutMs);
    RadioComm_var server = RadioComm::_narrow(object.in());
    if (!CORBA::is_nil(server.in())) {
        omniORB::setClientCallTimeout(server.in(), kRadioCommCallTimeoutMs);
    }
    return server;
}
