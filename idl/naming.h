#pragma once

// Naming-service helpers of both programs. Names have one component with an
// empty kind. Every call made here carries a 10 s time-out, so a naming host
// that stops answering costs a bounded wait, never a frozen GUI.
//
// Each call to the naming host is made once more when it fails with
// COMM_FAILURE or TRANSIENT: a restarted naming service leaves the ORB's old
// connection dead, and the second try opens a new one.
//
// They raise what the ORB or the naming service raises (TRANSIENT, TIMEOUT,
// CosNaming::NamingContext::NotFound, ...): call them inside callServer() or
// callClient(). Any thread.

#include <omniORB4/CORBA.h>
#include <omniORB4/Naming.hh>

#include "RadioComm.hh"

constexpr CORBA::ULong kNamingCallTimeoutMs = 10000;
constexpr CORBA::ULong kRadioCommCallTimeoutMs = 10000;

// The root naming context from the ORB's "NameService" initial reference.
// Raises CORBA::INV_OBJREF when that reference is no naming context.
CosNaming::NamingContext_var rootNamingContext(CORBA::ORB_ptr orb);

// Binds `ref` under `name`, replacing whatever held the name before.
void rebindName(CORBA::ORB_ptr orb, const char* name, CORBA::Object_ptr ref);

// The object bound under `name`.
CORBA::Object_var resolveName(CORBA::ORB_ptr orb, const char* name);

// The server's "RadioComm" object with a 10 s call time-out; nil when the
// name holds an object of another type.
RadioComm_var resolveRadioComm(CORBA::ORB_ptr orb);
