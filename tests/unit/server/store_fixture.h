#pragma once

#include <QString>

#include <map>
#include <string>

#include "tests/support/program_settings.h"

// Brakton's settings file ("Rig Control") in a fresh folder per test, and a message log in place
// of boxes. Values are read and changed through QSettings itself (program_settings.h).

// Every value in the file, "Group/Name" -> text (a comma list joined with ", ").
inline std::map<std::string, std::string> settingsFileValues() {
    return programFileValues(QStringLiteral("Rig Control"));
}

inline void setSettingValue(const QString& key, const QString& value) {
    setProgramValue(QStringLiteral("Rig Control"), key, value);
}

inline void removeSettingValue(const QString& key) {
    removeProgramValue(QStringLiteral("Rig Control"), key);
}

// A fresh settings folder and message log for each test.
class StoreFixture : public ProgramSettingsFixture {
  protected:
    StoreFixture() : ProgramSettingsFixture("store-test", "Rig Control") {}
};
