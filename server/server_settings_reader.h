#pragma once

// The server's settings file as the configuration sheet and the COM-port diagnostic dialog
// read it: through a SettingsReader, which reports each value's status and never writes.
// Same file, groups and names as CServerRegistryStore.

#include <QString>

#include "platform/settings_reader.h"

namespace brakton {

class ServerSettingsReader : public SettingsReader {
  public:
    ServerSettingsReader()
        : SettingsReader(QStringLiteral("N0CALL Software"), QStringLiteral("Rig Control")) {}
};

inline const QString kCommPortGroup = QStringLiteral("Comm Port");
inline const QString kBandInfoGroup = QStringLiteral("HAM Band Info");

}  // namespace brakton
