#pragma once

// What the test peer and the tests agree on: how the peer codes the results
// and out-arguments it returns, and the record it writes for every upcall.
//
// Results: every RadioComm operation returns its own number, 0 for Connect to
// 44 for EnableStatusQuery. Out-arguments: the scalar at position p of an
// operation's outs (struct members flattened in order, counting from 0)
// carries codedOut(number, p). ReadDisplay's text is "display".
//
// Records: one line per upcall, written when the upcall starts,
//   <operation>|<on ORB thread 0/1>|<upcalls in flight>|<arg>|<arg>...
// with '%', '|' and control characters of string arguments escaped as %XX.
// A struct argument is one field: its members, flattened, joined by ','.
//
// Commands (one per line of the peer's command file, PeerProcess::command):
//   bands <lo0> <hi0> ... <lo8> <hi8>   band table answered from now on
//                                       (uiBandFreq = band index)
//   vfos <a0> <b0> ... <a8> <b8>        VFO cache answered from now on
//   rfamp <n>                           QueryRFAmpStatus answer
//   answer <status>                     every RadioComm operation answers <status>
//                                       from now on instead of its number
//   raise-next                          the next RadioComm upcall raises INTERNAL
//   exit                                the peer ends at once (exit code 0)
//   connect-back [who]                  RadioCmdNotification::Connect(who or "Brakton")
//   notify-cmd <code> <text>            NotifyCmd
//   notify-numbered <code> <count>      NotifyCmd(code, "0") ... (code, "<count-1>")
//   notify-sent <length> <text>         NotifyTextMessageSent
//   notify-empty                        NotifyTextMessageEmpty
//   notify-rfamp <option>               NotifyRFAmpOptionChange
// The callback object is looked up under "RadioCmdNotification" on first use
// and again after a failed call.

#include <string>
#include <vector>

namespace peer_protocol {

constexpr int codedOut(int operationNumber, int position) {
    return operationNumber * 1000 + position + 1;
}

constexpr const char* kDisplayText = "display";
constexpr const char* kReadyLine = "peer ready";

struct Record {
    std::string operation;
    bool onOrbThread = false;
    int inFlight = 0;
    std::vector<std::string> args;
};

std::string escape(const std::string& text);
std::string formatRecord(const Record& record);
// Nullopt-free: a malformed line gives a record whose operation is empty.
Record parseRecord(const std::string& line);

}  // namespace peer_protocol
