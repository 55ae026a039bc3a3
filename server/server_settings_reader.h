#pragma once

// The server's settings file as the configuration sheet and the COM-port diagnostic dialog
// read it: through a SettingsReader, which reports each value's status and never writes.
// Same file, groups and names as CServerRegistryStore: the program's settings table.

#include <QString>

#include "platform/settings_reader.h"
#include "server/comm_port_rules.h"
#include "server/server_settings.h"

namespace brakton {

class ServerSettingsReader : public SettingsReader {
  public:
    ServerSettingsReader() : SettingsReader(settings::kFile) {}
};

// The stored "Comm Port" values as a page shows them.
inline CommPortShown showStoredCommPort(const ServerSettingsReader& reader) {
    return showCommPort(reader.read(settings::kCommPort), reader.read(settings::kSpeed),
                        reader.read(settings::kParity), reader.read(settings::kStopBits));
}

}  // namespace brakton
